// The windows on the record's service history: the log of every entry and
// the costs by year. One of each per document; asking again brings it to
// the front.
#include "document/MyDocument.h"
#include "document/service_windows.h"

namespace cogbook {

void MyDocument::installServiceWindowCommands() {
    addCommand("showServiceLog:", [this](QAction*) { showServiceLog(); });
    addCommand("showCostsByYear:", [this](QAction*) { showCostsByYear(); });
}

MyDocument::ServiceWindows& MyDocument::serviceWindows() {
    if (!serviceWindows_) serviceWindows_ = std::make_shared<ServiceWindows>();
    return *serviceWindows_;
}

ZRSWServiceLogWindow* MyDocument::serviceLogWindow() const {
    return serviceWindows_ ? serviceWindows_->log.get() : nullptr;
}

ZRSWCostsByYearWindow* MyDocument::costsByYearWindow() const {
    return serviceWindows_ ? serviceWindows_->costs.get() : nullptr;
}

void MyDocument::showServiceLog() {
    if (ending_ || documentWindow() == nullptr) return;
    auto& log = serviceWindows().log;
    if (!log) log = std::make_unique<ZRSWServiceLogWindow>(this);
    log->showWindow();
}

void MyDocument::showCostsByYear() {
    if (ending_ || documentWindow() == nullptr) return;
    auto& costs = serviceWindows().costs;
    if (!costs) costs = std::make_unique<ZRSWCostsByYearWindow>(this);
    costs->showWindow();
}

} // namespace cogbook
