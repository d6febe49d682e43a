#include "report/XercesSession.h"

#include <mutex>
#include <xercesc/util/PlatformUtils.hpp>

namespace report {

void ensureXercesInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { xercesc::XMLPlatformUtils::Initialize("en_US"); });
}

} // namespace report
