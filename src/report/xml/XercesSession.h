#pragma once
// Keeps the XML library initialised while a session is held.

namespace report {

// The XML library is initialised when the first session begins and terminated when the last one
// ends; sessions may overlap and nest, from any thread. Every use of the parser, the DOM or the
// serializer happens inside one: termination frees every document the library made.
class XercesSession {
public:
    XercesSession();
    ~XercesSession();
    XercesSession(const XercesSession&) = delete;
    XercesSession& operator=(const XercesSession&) = delete;
};

} // namespace report
