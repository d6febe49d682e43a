#pragma once
// The settings every Xerces parser that reads a workbook file gets, the DOM builder and the
// in-place scan alike, so that the two can never drift apart on what keeps a hostile file in.

#include "report/xml/WorkbookParser.h"

#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>

namespace report {

// No validation, schemas or namespace processing; external DTDs are not loaded, every entity is
// put to `resolver`, expansion is bounded, and the first fatal error ends the parse.
template <class Parser>
void insulateParser(Parser& parser, XERCES_CPP_NAMESPACE_QUALIFIER XMLEntityResolver& resolver,
                    XERCES_CPP_NAMESPACE_QUALIFIER SecurityManager& security,
                    XERCES_CPP_NAMESPACE_QUALIFIER ErrorHandler& errors) {
    security.setEntityExpansionLimit(kWorkbookEntityExpansionLimit);
    parser.setValidationScheme(Parser::Val_Never);
    parser.setDoNamespaces(false);
    parser.setDoSchema(false);
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
    parser.setXMLEntityResolver(&resolver);
    parser.setSecurityManager(&security);
    parser.setErrorHandler(&errors);
    parser.setExitOnFirstFatalError(true);
}

} // namespace report
