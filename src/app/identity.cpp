#include "app/identity.h"

#include <QObject>

namespace cogbook {

ApplicationIdentity cogbookIdentity() {
    ApplicationIdentity identity;
    identity.applicationName = QStringLiteral("Cogbook");
    identity.displayName = QStringLiteral("Cogbook");
    identity.organizationName = QStringLiteral("cogbook");
    identity.desktopFileName = QStringLiteral("cogbook");
    identity.iconName = QStringLiteral("cogbook");
    identity.documentType.name = QStringLiteral("Cogbook Record");
    identity.documentType.extension = QLatin1String(kRecordFileExtension);
    identity.documentType.mimeType = QStringLiteral("application/x-cogbook");
    identity.documentType.filterName = QObject::tr("Cogbook records");
    identity.documentType.openPanelTitle = QObject::tr("Open Record");
    identity.documentType.savePanelTitle = QObject::tr("Save Record");
    identity.notOfTypeMessage = QObject::tr("%1 is not a Cogbook record.");
    return identity;
}

} // namespace cogbook
