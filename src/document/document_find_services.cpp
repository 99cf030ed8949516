#include "document/document_find_services.h"

#include "foundation/hooks.h"

namespace cogbook {
namespace {

DocumentFindServices* installedServices = nullptr;
// One line in the log says why the find commands only beep, not one per command.
bool refusalLogged = false;

} // namespace

DocumentFindServices* setDocumentFindServices(DocumentFindServices* services) {
    DocumentFindServices* previous = installedServices;
    installedServices = services;
    refusalLogged = false;
    return previous;
}

DocumentFindServices* documentFindServices() {
    return installedServices;
}

DocumentFindServices* documentFindServicesOrBeep() {
    if (installedServices != nullptr) return installedServices;
    if (!refusalLogged) {
        refusalLogged = true;
        log("MyDocument has no search installed: the find commands do nothing");
    }
    beep();
    return nullptr;
}

} // namespace cogbook
