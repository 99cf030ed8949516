// A record as the pages it prints on: its plain text under a header naming
// the record and the day it was printed.
#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <vector>

#include "model/ZRBicycleList.h"
#include "platform/text_printer.h"

namespace cogbook {

// Everything below the bike, as plain text ("" for a bike without children).
QString recordText(const ZRBicycleList& bike);

// The header of a record's pages: its NAME and the day of printing.
PageDecoration recordPageDecoration(const QString& name, QDate printed = QDate::currentDate());

// The record as a PDF document, in memory.
PdfOutput recordPdf(const ZRBicycleList& bike, const QString& name, const PrintProgress& progress = {});
// The same, as bytes to write; throws std::runtime_error when the pages
// cannot be made.
std::vector<std::uint8_t> recordPdfBytes(const ZRBicycleList& bike, const QString& name);

} // namespace cogbook
