#include "platform/documentsfolder.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdlib>

namespace tavi {

std::filesystem::path DocumentsRoot() {
    if (const char* env = std::getenv("TAVI_USER_DIR"); env && *env) return env;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath() + "/Documents";
    return std::filesystem::path(documents.toStdString()) / "Tavi";
}

} // namespace tavi
