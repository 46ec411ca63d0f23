#include "document/wordimport.h"

#include "document/doctext.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
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

// LibreOffice writes the document as RTF into a folder of its own, with a profile of its own
// so that it neither meets a LibreOffice the user is running nor touches the user's settings.
bool ViaLibreOffice(const QString& program, const QString& file, TRtfDocument& doc, QString* error,
                    int timeoutMs) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        if (error) *error = "cannot make a temporary folder";
        return false;
    }
    const QString outDir = tmp.filePath("out");
    const QStringList args = {"--headless",
                              "--norestore",
                              "--nolockcheck",
                              "--nodefault",
                              "-env:UserInstallation=" +
                                  QUrl::fromLocalFile(tmp.filePath("profile")).toString(),
                              "--convert-to",
                              "rtf:Rich Text Format",
                              "--outdir",
                              outDir,
                              file};
    if (!Run(program, args, timeoutMs, nullptr, error)) return false;
    // It reports a file it cannot read on its output and still exits with 0.
    const QFileInfoList made = QDir(outDir).entryInfoList({"*.rtf"}, QDir::Files);
    if (made.isEmpty()) {
        if (error) *error = "LibreOffice could not read the document";
        return false;
    }
    QFile rtf(made.first().filePath());
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

} // namespace

TWordConverter FindWordConverter(int fileKind) {
    if (!LibreOfficeProgram().isEmpty()) return TWordConverter::LibreOffice;
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
