#include "document/screenfonts.h"

#include "platform/paths.h"

#include <QDir>
#include <QFontDatabase>

namespace tavi {

QStringList RegisterScreenFonts() {
    static const QStringList families = [] {
        QStringList found;
        const QDir dir(QString::fromStdString((ProgramFolder() / "fonts").string()));
        for (const QString& file : dir.entryList({"*.ttf"}, QDir::Files, QDir::Name)) {
            const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
            if (id < 0) continue;
            for (const QString& family : QFontDatabase::applicationFontFamilies(id))
                if (!found.contains(family)) found << family;
        }
        return found;
    }();
    return families;
}

} // namespace tavi
