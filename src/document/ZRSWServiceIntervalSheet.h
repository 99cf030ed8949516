// The sheet over a document window that edits a part's service intervals:
// days and distance, each optional (cleared is none). Window-modal, it
// returns at once; OK hands both values to the caller (refused, with a beep
// and a word of why, while either field holds no fit value), Cancel or
// Escape hands over nothing.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

#include "document/window_modal_sheet.h"

namespace cogbook {

struct ServiceInterval {
    std::optional<std::int64_t> days;
    std::optional<double> distance;
    bool operator==(const ServiceInterval&) const = default;
};

class ZRSWServiceIntervalSheet : public WindowModalSheet {
    Q_OBJECT
public:
    explicit ZRSWServiceIntervalSheet(QWidget* window);

    using Completion = std::function<void(const ServiceInterval&)>;
    // Shows PART's INTERVAL, distances in UNIT ("km", "mi"). A sheet already
    // showing is brought forward, unchanged.
    void beginSheet(const QString& part, const QString& unit, const ServiceInterval& interval, Completion completion);

    // The fields' values, or the reason they are none, in words.
    struct Reading {
        std::optional<ServiceInterval> interval;
        QString problem;
    };
    Reading reading() const;

    QLineEdit* daysField() const { return daysField_; }
    QLineEdit* distanceField() const { return distanceField_; }
    QLabel* problemLabel() const { return problemLabel_; }

protected:
    Buttons loadInterface(QDialog* sheet) override;
    // Refused, with a word of why, while either field holds no fit value.
    void okay() override;

private:
    QPointer<QLabel> partLabel_;
    QPointer<QLineEdit> daysField_;
    QPointer<QLineEdit> distanceField_;
    QPointer<QLabel> unitLabel_;
    QPointer<QLabel> problemLabel_;
    // The values OK took.
    ServiceInterval accepted_;
};

} // namespace cogbook
