// The windows a document opens on its service record: the service log and
// the costs by year, each made on first use and ended with the document.
#pragma once

#include <memory>

#include "document/MyDocument.h"
#include "document/ZRSWCostsByYearWindow.h"
#include "document/ZRSWServiceLogWindow.h"

namespace cogbook {

struct MyDocument::ServiceWindows {
    std::unique_ptr<ZRSWServiceLogWindow> log;
    std::unique_ptr<ZRSWCostsByYearWindow> costs;
};

} // namespace cogbook
