#include "ToolProcess.h"

#include "Win32Util.h"

namespace tessaline {
namespace {

std::wstring SystemMessage(DWORD error) {
    char text[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    return FromAnsi(text, static_cast<int>(n));
}

}  // namespace

bool WaitBlocking(HANDLE process, DWORD waitMs) { return WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0; }

ToolRun RunHidden(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs,
                  ProcessWait wait) {
    ToolRun run;
    const std::string app = ToAnsi(application);
    std::string command = ToAnsi(commandLine);  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(app.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        run.outcome = ToolRun::NotStarted;
        run.error = GetLastError();
        run.errorText = SystemMessage(run.error);
        return run;
    }
    UniqueHandleNull process(info.hProcess);
    UniqueHandleNull thread(info.hThread);
    DWORD code = 0;
    if (wait(process.get(), waitMs) && GetExitCodeProcess(process.get(), &code)) {
        run.outcome = ToolRun::Ended;
        run.exitCode = code;
    } else {
        run.outcome = ToolRun::NoEnd;  // left running: it may still finish on its own
    }
    return run;
}

}  // namespace tessaline
