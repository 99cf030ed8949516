// The sheet that asks for a new template's title and whether it becomes the
// default.
#pragma once

#include <QCheckBox>
#include <QLineEdit>

#include <optional>
#include <string>

#include "app/ZRSWSheetManager.h"

namespace cogbook {

struct TemplateTitleInfo {
    std::string title; // trimmed
    bool makeDefault = false;
};

class ZRSWTemplateTitleSheetManager : public ZRSWSheetManager {
    Q_OBJECT
public:
    explicit ZRSWTemplateTitleSheetManager(QWidget* sheetWindow);
    ~ZRSWTemplateTitleSheetManager() override;

    // Runs the sheet with PROPOSED in the title field; nothing when the user
    // cancelled.
    std::optional<TemplateTitleInfo> infoFromSheetForTitle(const QString& proposed);

    // Reads the title field, without its leading and trailing white space.
    void setTitle();
    // Reads the check box.
    void makeDefault();
    void closeSheet(QObject* sender) override;

    // Loaded on first use.
    QLineEdit* titleField() const { return titleField_; }
    QCheckBox* defaultSwitch() const { return defaultSwitch_; }

private:
    void loadSheet();

    QPointer<QCheckBox> defaultSwitch_;
    QPointer<QLineEdit> titleField_;
    QString title_;
    bool makeDefault_ = false;
};

} // namespace cogbook
