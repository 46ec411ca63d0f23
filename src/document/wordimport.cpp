#include "document/wordimport.h"

#include "document/doctext.h"
#include "platform/atomicfile.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The end of a run, its reason told when it is not Finished.
TRunEnd Ended(const TRunResult& r, QString* error) {
    if (r.End != TRunEnd::Finished && error) *error = r.Error;
    return r.End;
}

// The RTF that LibreOffice makes of a document carries its pictures in hex: it may be several
// times the document's size, but no larger than this.
constexpr qint64 MaxConvertedRtf = qint64(512) << 20;

// LibreOffice converts a file into a folder of its own, with a profile of its own so that it
// neither meets a LibreOffice the user is running nor touches the user's settings. made is the
// one file it made there.
TRunEnd ConvertWithLibreOffice(const QString& program, const QString& file, const QString& filter,
                               const QTemporaryDir& tmp, const TConversionWatch& watch,
                               QString& made, QString* error) {
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
    const TRunEnd end = Ended(RunConverter(program, args, watch), error);
    if (end != TRunEnd::Finished) return end;
    // It reports a file it cannot read on its output and still exits with 0.
    const QFileInfoList files = QDir(outDir).entryInfoList(QDir::Files);
    if (files.isEmpty()) {
        if (error) *error = "LibreOffice could not convert the document";
        return TRunEnd::Failed;
    }
    made = files.first().filePath();
    return TRunEnd::Finished;
}

TRunEnd Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return TRunEnd::Failed;
}

TRunEnd ViaLibreOffice(const QString& program, const QString& file, TRtfDocument& doc,
                       const TConversionWatch& watch, QString* error) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) return Fail(error, "cannot make a temporary folder");
    // LibreOffice believes a file's extension: an office document named otherwise (a ".txt"
    // that is a zip package) is shown to it without one, so that it looks inside.
    QString source = file;
    static const QStringList trusted = {"doc", "docx", "odt", "wri", "rtf"};
    if (!trusted.contains(QFileInfo(file).suffix().toLower())) {
        source = tmp.filePath("document");
        if (!QFile::link(file, source)) return Fail(error, "cannot make a temporary file");
    }
    QString made;
    const TRunEnd end =
        ConvertWithLibreOffice(program, source, "rtf:Rich Text Format", tmp, watch, made, error);
    if (end != TRunEnd::Finished) return end;
    QFile rtf(made);
    if (rtf.size() > MaxConvertedRtf) {
        if (error) *error = "the document is too large";
        return TRunEnd::TooLarge;
    }
    if (!rtf.open(QIODevice::ReadOnly)) return Fail(error, "cannot read LibreOffice's result");
    const QByteArray data = rtf.readAll();
    std::string why;
    if (!ReadRtf(std::string_view(data.constData(), data.size()), doc, &why))
        return Fail(error, QString::fromStdString(why));
    return TRunEnd::Finished;
}

// antiword gives the text only, one paragraph a line, after one empty line.
TRunEnd ViaAntiword(const QString& program, const QString& file, TRtfDocument& doc,
                    const TConversionWatch& watch, QString* error) {
    TRunResult r = RunConverter(program, {"-m", "UTF-8.txt", "-w", "0", file}, watch);
    if (r.End != TRunEnd::Finished) return Ended(r, error);
    QByteArray& out = r.Output;
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
    return TRunEnd::Finished;
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

bool ExportOfficeDocument(const std::string& rtf, const QString& fileName,
                          const TConversionWatch& watch, QString* error) {
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
    QString made;
    if (ConvertWithLibreOffice(program, source.fileName(), filter, tmp, watch, made, error) !=
        TRunEnd::Finished)
        return false;
    QFile result(made);
    try {
        if (!result.open(QIODevice::ReadOnly)) throw EFOpenError(made.toStdString());
        const QByteArray bytes = result.readAll();
        if (result.error() != QFileDevice::NoError) throw EFOpenError(made.toStdString());
        SaveFileWhole(QFile::encodeName(fileName).toStdString(),
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception& e) {
        if (error) *error = QString::fromStdString(e.what());
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

TRunEnd ImportWordDocument(const QString& fileName, int fileKind, TRtfDocument& doc,
                           const TConversionWatch& watch, QString* error) {
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) return Fail(error, "cannot read " + fileName);
    const QString file = info.absoluteFilePath();
    switch (FindWordConverter(fileKind)) {
    case TWordConverter::LibreOffice:
        return ViaLibreOffice(LibreOfficeProgram(), file, doc, watch, error);
    case TWordConverter::Antiword:
        return ViaAntiword(QStandardPaths::findExecutable("antiword"), file, doc, watch, error);
    case TWordConverter::None: break;
    }
    if (error) *error = "no program to read Word documents is installed";
    return TRunEnd::NotStarted;
}

} // namespace tavi
