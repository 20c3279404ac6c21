// A recording stand-in for the system under both flows: files and registry values in
// memory, scripted failures, and a log of every change and tool run.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "InstallFlow.h"
#include "UninstallFlow.h"

namespace tessaline::testing {

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

inline std::string RootName(RegRoot root) { return root == RegRoot::ClassesRoot ? "HKCR" : "HKLM"; }

inline ToolRun Tool(ToolRun::Outcome outcome, std::wstring text = L"") {
    ToolRun run;
    run.outcome = outcome;
    run.errorText = text;
    return run;
}

class RecordingSystem final : public InstallSystem, public UninstallSystem {
public:
    // Folders the platform gives for the selectors 0, 1 and 2.
    std::wstring windows = L"C:\\WINDOWS";
    std::wstring system = L"C:\\WINDOWS\\system32";
    std::wstring temp = L"C:\\TEMP";

    std::map<std::wstring, std::string> files;  // path -> content
    std::set<std::wstring> failCopyTo;          // destinations a copy cannot replace
    std::set<std::string> failWrite;            // "key|value name" writes that fail
    std::set<std::string> failKeyDelete;        // "ROOT\parent\sub" deletions that fail
    std::map<std::string, std::string> values;  // "ROOT\key|name" -> data
    ToolRun toolAnswer = Tool(ToolRun::Ended);
    std::vector<std::string> log;  // changes and tool runs, in order

    void AddPackage(const std::vector<const wchar_t*>& names) {
        for (const wchar_t* name : names)
            files[temp + L"\\kvz31\\" + name] = "new " + Narrow(name);
    }

    std::wstring GetFolderPath(short selector) override {
        return selector == 0 ? windows : selector == 1 ? system : selector == 2 ? temp : L"";
    }
    bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
    void CopyFileTo(const std::wstring& source, const std::wstring& destination, bool) override {
        log.push_back("copy " + Narrow(source) + " -> " + Narrow(destination));
        if (files.count(source) != 0 && failCopyTo.count(destination) == 0)
            files[destination] = files[source];
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) override {
        return files.count(a) != 0 && files.count(b) != 0 && files[a] == files[b];
    }
    bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                        const std::wstring& data) override {
        const std::string where = RootName(root) + "\\" + Narrow(key) + "|" + Narrow(valueName);
        if (failWrite.count(where) != 0) {
            log.push_back("write " + where + " failed");
            return false;
        }
        log.push_back("write " + where + " = " + Narrow(data));
        values[where] = Narrow(data);
        return true;
    }
    ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) override {
        log.push_back("run " + Narrow(application) + " [" + Narrow(commandLine) + "] wait " + std::to_string(waitMs));
        return toolAnswer;
    }
    bool DeleteRegKey(RegRoot root, const std::wstring& parentKey, const std::wstring& subKey) override {
        const std::string key = RootName(root) + "\\" + Narrow(parentKey) + "\\" + Narrow(subKey);
        log.push_back("delete key " + key);
        if (failKeyDelete.count(key) != 0)
            return false;
        for (auto v = values.begin(); v != values.end();)
            v = v->first.compare(0, key.size() + 1, key + "|") == 0 ? values.erase(v) : std::next(v);
        return true;
    }
    void DeleteFileForced(const std::wstring& path) override {
        log.push_back("delete file " + Narrow(path));
        files.erase(path);
    }
};

}  // namespace tessaline::testing
