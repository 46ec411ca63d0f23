#include "document/wordimport.h"

#include "document/doctext.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace tavi {

namespace {

QString LibreOfficeProgram() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return {};
}

bool Run(const QString& program, const QStringList& args, int timeoutMs, QByteArray* out,
         QString* error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted()) {
        if (error) *error = "cannot start " + program;
        return false;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        if (error) *error = program + " did not finish in time";
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) *error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        if (error && error->isEmpty()) *error = program + " failed";
        return false;
    }
    if (out) *out = p.readAllStandardOutput();
    return true;
}

// LibreOffice converts a file into a folder of its own, with a profile of its own so that it
// neither meets a LibreOffice the user is running nor touches the user's settings. The result
// is the one file it made there, or an empty name.
QString ConvertWithLibreOffice(const QString& program, const QString& file, const QString& filter,
                               const QTemporaryDir& tmp, QString* error, int timeoutMs) {
    const QString outDir = tmp.filePath("out");
    const QStringList args = {"--headless",
                              "--norestore",
                              "--nolockcheck",
                              "--nodefault",
                              "-env:UserInstallation=" +
                                  QUrl::fromLocalFile(tmp.filePath("profile")).toString(),
                              "--convert-to",
                              filter,
                              "--outdir",
                              outDir,
                              file};
    if (!Run(program, args, timeoutMs, nullptr, error)) return {};
    // It reports a file it cannot read on its output and still exits with 0.
    const QFileInfoList made = QDir(outDir).entryInfoList(QDir::Files);
    if (made.isEmpty()) {
        if (error) *error = "LibreOffice could not convert the document";
        return {};
    }
    return made.first().filePath();
}

bool ViaLibreOffice(const QString& program, const QString& file, TRtfDocument& doc, QString* error,
                    int timeoutMs) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        if (error) *error = "cannot make a temporary folder";
        return false;
    }
    // LibreOffice believes a file's extension: an office document named otherwise (a ".txt"
    // that is a zip package) is shown to it without one, so that it looks inside.
    QString source = file;
    static const QStringList trusted = {"doc", "docx", "odt", "wri", "rtf"};
    if (!trusted.contains(QFileInfo(file).suffix().toLower())) {
        source = tmp.filePath("document");
        if (!QFile::link(file, source)) {
            if (error) *error = "cannot make a temporary file";
            return false;
        }
    }
    const QString made =
        ConvertWithLibreOffice(program, source, "rtf:Rich Text Format", tmp, error, timeoutMs);
    if (made.isEmpty()) return false;
    QFile rtf(made);
    if (!rtf.open(QIODevice::ReadOnly)) {
        if (error) *error = "cannot read LibreOffice's result";
        return false;
    }
    const QByteArray data = rtf.readAll();
    std::string why;
    if (!ReadRtf(std::string_view(data.constData(), data.size()), doc, &why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

// antiword gives the text only, one paragraph a line, after one empty line.
bool ViaAntiword(const QString& program, const QString& file, TRtfDocument& doc, QString* error,
                 int timeoutMs) {
    QByteArray out;
    if (!Run(program, {"-m", "UTF-8.txt", "-w", "0", file}, timeoutMs, &out, error)) return false;
    if (out.startsWith('\n')) out.remove(0, 1);
    if (out.endsWith('\n')) out.chop(1);
    const std::string text =
        DocumentBytes(DecodeUtf8(std::string_view(out.constData(), out.size())));
    doc = TRtfDocument();
    std::size_t start = 0;
    for (;;) {
        const std::size_t eol = text.find('\n', start);
        doc.Paragraphs.emplace_back();
        doc.AddText(std::string_view(text).substr(start, eol - start), TRtfCharFormat());
        if (eol == std::string::npos) break;
        start = eol + 1;
    }
    return true;
}

// The filter that writes each office format.
QString ExportFilter(const QString& suffix) {
    if (suffix == "docx") return "docx:MS Word 2007 XML";
    if (suffix == "odt") return "odt:writer8";
    if (suffix == "doc") return "doc:MS Word 97";
    return {};
}

// The office packages (".docx", ".odt"…) have no reader but LibreOffice.
bool OnlyLibreOfficeReads(int fileKind) {
    return fileKind == 4;
}

} // namespace

bool ExportOfficeDocument(const std::string& rtf, const QString& fileName, QString* error,
                          int timeoutMs) {
    const QString filter = ExportFilter(QFileInfo(fileName).suffix().toLower());
    const QString program = LibreOfficeProgram();
    if (filter.isEmpty() || program.isEmpty()) {
        if (error) *error = "no program to write this kind of document is installed";
        return false;
    }
    QTemporaryDir tmp;
    QFile source(tmp.filePath("document.rtf"));
    if (!tmp.isValid() || !source.open(QIODevice::WriteOnly) ||
        source.write(rtf.data(), static_cast<qint64>(rtf.size())) !=
            static_cast<qint64>(rtf.size())) {
        if (error) *error = "cannot write a temporary file";
        return false;
    }
    source.close();
    const QString made =
        ConvertWithLibreOffice(program, source.fileName(), filter, tmp, error, timeoutMs);
    if (made.isEmpty()) return false;
    QFile result(made);
    QSaveFile target(fileName);
    if (!result.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
        if (error) *error = "cannot write " + fileName;
        return false;
    }
    const QByteArray bytes = result.readAll();
    if (target.write(bytes) != bytes.size() || !target.commit()) {
        if (error) *error = "cannot write " + fileName;
        return false;
    }
    return true;
}

TWordConverter FindWordConverter(int fileKind) {
    if (!LibreOfficeProgram().isEmpty()) return TWordConverter::LibreOffice;
    if (OnlyLibreOfficeReads(fileKind)) return TWordConverter::None;
    if (fileKind == 1 && !QStandardPaths::findExecutable("antiword").isEmpty())
        return TWordConverter::Antiword;
    return TWordConverter::None;
}

bool ImportWordDocument(const QString& fileName, int fileKind, TRtfDocument& doc, QString* error,
                        int timeoutMs) {
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        if (error) *error = "cannot read " + fileName;
        return false;
    }
    const QString file = info.absoluteFilePath();
    switch (FindWordConverter(fileKind)) {
    case TWordConverter::LibreOffice:
        return ViaLibreOffice(LibreOfficeProgram(), file, doc, error, timeoutMs);
    case TWordConverter::Antiword:
        return ViaAntiword(QStandardPaths::findExecutable("antiword"), file, doc, error, timeoutMs);
    case TWordConverter::None: break;
    }
    if (error) *error = "no program to read Word documents is installed";
    return false;
}

} // namespace tavi
