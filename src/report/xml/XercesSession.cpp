#include "report/xml/XercesSession.h"

#include <mutex>
#include <xercesc/util/PlatformUtils.hpp>

namespace report {

namespace {
// The library counts its initialisations itself, but neither call may run beside another.
std::mutex& initialisation() {
    static std::mutex m;
    return m;
}
} // namespace

XercesSession::XercesSession() {
    const std::lock_guard<std::mutex> lock(initialisation());
    xercesc::XMLPlatformUtils::Initialize("en_US");
}

XercesSession::~XercesSession() {
    const std::lock_guard<std::mutex> lock(initialisation());
    xercesc::XMLPlatformUtils::Terminate();
}

} // namespace report
