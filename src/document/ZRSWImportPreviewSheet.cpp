#include "document/ZRSWImportPreviewSheet.h"

#include <QLocale>

#include <map>
#include <utility>
#include <vector>

#include "model/service_log.h"
#include "ui_ZRSWImportPreview.h"

namespace cogbook {
namespace {

QString counted(std::size_t count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(QLocale().toString(static_cast<qulonglong>(count)), count == 1 ? one : many);
}

QString pathText(const std::vector<std::string>& path) {
    if (path.empty()) return QObject::tr("the bike itself");
    QString text;
    for (const std::string& name : path) {
        if (!text.isEmpty()) text += QString::fromUtf8(kPartPathSeparator.data(), static_cast<qsizetype>(kPartPathSeparator.size()));
        text += QString::fromStdString(name);
    }
    return text;
}

} // namespace

ZRSWImportPreviewSheet::ZRSWImportPreviewSheet(QWidget* window, QObject* owner) : WindowModalSheet(window, owner) {}

WindowModalSheet::Buttons ZRSWImportPreviewSheet::loadInterface(QDialog* sheet) {
    Ui::ZRSWImportPreview ui;
    ui.setupUi(sheet);
    summary_ = ui.summaryLabel;
    entries_ = ui.entriesList;
    parts_ = ui.partsList;
    badRows_ = ui.badRowsList;
    goodRowsOnly_ = ui.goodRowsOnlyBox;
    partsLabel_ = ui.partsLabel;
    badRowsLabel_ = ui.badRowsLabel;
    connect(goodRowsOnly_, &QCheckBox::toggled, this, &ZRSWImportPreviewSheet::updateImportButton);
    return {ui.importButton, ui.cancelButton};
}

void ZRSWImportPreviewSheet::beginSheet(const QString& fileName, const ServiceImportPlan& plan, Completion completion) {
    if (bringForwardOrLoad()) return;
    hasEntries_ = !plan.entries.empty();
    hasBadRows_ = !plan.badRows.empty();

    // The entries by where they go, in the order the file first names each place.
    std::vector<std::pair<const std::vector<std::string>*, std::size_t>> places;
    std::map<std::vector<std::string>, std::size_t> placeIndex;
    for (const ServiceImportEntry& entry : plan.entries) {
        const auto [at, added] = placeIndex.emplace(entry.path, places.size());
        if (added) places.emplace_back(&at->first, 0);
        ++places[at->second].second;
    }
    entries_->clear();
    for (const auto& [path, count] : places)
        entries_->addItem(tr("%1 under %2").arg(counted(count, tr("entry"), tr("entries")), pathText(*path)));
    parts_->clear();
    for (const auto& path : plan.partsToCreate) parts_->addItem(pathText(path));
    badRows_->clear();
    for (const ServiceImportProblem& problem : plan.badRows)
        badRows_->addItem(tr("Line %1: %2").arg(problem.line).arg(QString::fromStdString(problem.message)));
    partsLabel_->setVisible(!plan.partsToCreate.empty());
    parts_->setVisible(!plan.partsToCreate.empty());
    badRowsLabel_->setVisible(hasBadRows_);
    badRows_->setVisible(hasBadRows_);
    goodRowsOnly_->setChecked(false);
    goodRowsOnly_->setVisible(hasEntries_ && hasBadRows_);

    QString summary;
    if (!hasEntries_) {
        summary = tr("“%1” holds no service entries that can be imported.").arg(fileName);
    } else {
        summary = tr("“%1”: %2 to import").arg(fileName, counted(plan.entries.size(), tr("entry"), tr("entries")));
        summary += plan.partsToCreate.empty()
                       ? tr(".")
                       : tr(", and %1 to create.").arg(counted(plan.partsToCreate.size(), tr("part"), tr("parts")));
    }
    if (hasBadRows_) {
        summary += QLatin1Char(' ') + tr("%1 cannot be imported; nothing is imported unless you choose to leave "
                                         "them out.")
                                          .arg(counted(plan.badRows.size(), tr("row"), tr("rows")));
    }
    summary_->setText(summary);
    updateImportButton();
    (hasEntries_ ? entries_ : badRows_)->setFocus();
    openSheet(std::move(completion));
}

void ZRSWImportPreviewSheet::updateImportButton() {
    const bool enabled = hasEntries_ && (!hasBadRows_ || goodRowsOnly_->isChecked());
    importButton()->setEnabled(enabled);
    // With Import off, Return must not reach it: Cancel is the default then.
    importButton()->setDefault(enabled);
    cancelButton()->setDefault(!enabled);
}

void ZRSWImportPreviewSheet::okay() {
    if (importButton()->isEnabled()) endWithOkay();
}

} // namespace cogbook
