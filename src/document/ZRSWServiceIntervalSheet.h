// The sheet over a document window that edits a part's service intervals:
// days and distance, each optional (cleared is none). Window-modal, it
// returns at once; OK hands both values to the caller (refused, with a beep
// and a word of why, while either field holds no fit value), Cancel or
// Escape hands over nothing.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace cogbook {

struct ServiceInterval {
    std::optional<std::int64_t> days;
    std::optional<double> distance;
    bool operator==(const ServiceInterval&) const = default;
};

class ZRSWServiceIntervalSheet : public QObject {
    Q_OBJECT
public:
    explicit ZRSWServiceIntervalSheet(QWidget* window);
    ~ZRSWServiceIntervalSheet() override;

    using Completion = std::function<void(const ServiceInterval&)>;
    // Shows PART's INTERVAL, distances in UNIT ("km", "mi"). A sheet already
    // showing is brought forward, unchanged.
    void beginSheet(const QString& part, const QString& unit, const ServiceInterval& interval, Completion completion);
    bool isShowing() const;

    // The fields' values, or the reason they are none, in words.
    struct Reading {
        std::optional<ServiceInterval> interval;
        QString problem;
    };
    Reading reading() const;

    QDialog* sheet() const { return sheet_; }
    QLineEdit* daysField() const { return daysField_; }
    QLineEdit* distanceField() const { return distanceField_; }
    QLabel* problemLabel() const { return problemLabel_; }
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void loadSheet();
    void okay();
    void sheetDidEnd(int result);

    QPointer<QWidget> window_;
    QPointer<QDialog> sheet_;
    QPointer<QLabel> partLabel_;
    QPointer<QLineEdit> daysField_;
    QPointer<QLineEdit> distanceField_;
    QPointer<QLabel> unitLabel_;
    QPointer<QLabel> problemLabel_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    Completion completion_;
    std::optional<ServiceInterval> accepted_;
};

} // namespace cogbook
