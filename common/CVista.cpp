#include "CVista.h"

namespace tessaline {

short CVista::IsOSVista() { return IsVistaOrLater(SystemVistaPlatform()) ? -1 : 0; }

}  // namespace tessaline
