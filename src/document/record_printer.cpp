#include "document/record_printer.h"

#include <stdexcept>

namespace cogbook {

QString recordText(const ZRBicycleList& bike) {
    const std::optional<std::string> text = bike.stringFromBicycleList();
    return text ? QString::fromStdString(*text) : QString();
}

PageDecoration recordPageDecoration(const QString& name, QDate printed) {
    return {name, printed.toString(Qt::ISODate)};
}

PdfOutput recordPdf(const ZRBicycleList& bike, const QString& name, const PrintProgress& progress) {
    return plainTextPdf(recordText(bike), recordPageDecoration(name), progress);
}

std::vector<std::uint8_t> recordPdfBytes(const ZRBicycleList& bike, const QString& name) {
    const PdfOutput output = recordPdf(bike, name);
    if (output.outcome != PrintOutcome::Printed) throw std::runtime_error("the pages could not be made");
    const auto* begin = reinterpret_cast<const std::uint8_t*>(output.bytes.constData());
    return std::vector<std::uint8_t>(begin, begin + output.bytes.size());
}

} // namespace cogbook
