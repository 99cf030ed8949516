#include "platform/application_identity.h"

#include <QApplication>

#include <utility>

#include "foundation/message_text.h"
#include "platform/images.h"

namespace cogbook {
namespace {

ApplicationIdentity& identity() {
    static ApplicationIdentity current{
        QStringLiteral("Application"), QStringLiteral("Application"), QString(), QString(), QString(),
        DocumentType{QStringLiteral("Document"), QString(), QString(), QObject::tr("Documents"),
                     QObject::tr("Open"), QObject::tr("Save")},
        QString()};
    return current;
}

} // namespace

void setApplicationIdentity(ApplicationIdentity replacement) {
    identity() = std::move(replacement);
    applyApplicationIdentity();
}

const ApplicationIdentity& applicationIdentity() { return identity(); }

void applyApplicationIdentity() {
    if (QCoreApplication::instance() == nullptr) return;
    const ApplicationIdentity& current = identity();
    QCoreApplication::setApplicationName(current.applicationName);
    QCoreApplication::setOrganizationName(current.organizationName);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
    QGuiApplication::setApplicationDisplayName(current.displayName);
    QGuiApplication::setDesktopFileName(current.desktopFileName);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || current.iconName.isEmpty()) return;
    if (auto icon = imageNamed(current.iconName)) QApplication::setWindowIcon(icon->icon());
}

QString notOfTypeMessageFor(const QString& fileName) {
    QString message = identity().notOfTypeMessage;
    if (message.isEmpty()) message = QObject::tr("%1 is not a document this program opens.");
    return message.arg(QString::fromStdString(quotedForMessage(fileName.toStdString())));
}

QString documentFileFilter() {
    const DocumentType& type = identity().documentType;
    const QString all = QObject::tr("All files (*)");
    if (type.extension.isEmpty()) return all;
    return QObject::tr("%1 (*.%2)").arg(type.filterName, type.extension) + QStringLiteral(";;") + all;
}

} // namespace cogbook
