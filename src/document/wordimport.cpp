#include "document/wordimport.h"

#include "document/doctext.h"
#include "platform/atomicfile.h"

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

TFileFailure Fail(const QString& why) {
    return {TFileReason::ConverterFailed, why.toStdString()};
}

// The RTF that LibreOffice makes of a document carries its pictures in hex: it may be several
// times the document's size, but no larger than this.
constexpr qint64 MaxConvertedRtf = qint64(512) << 20;

// LibreOffice converts a file into a folder of its own, with a profile of its own so that it
// neither meets a LibreOffice the user is running nor touches the user's settings. made is the
// one file it made there.
TFileFailure ConvertWithLibreOffice(const QString& program, const QString& file,
                                    const QString& filter, const QTemporaryDir& tmp,
                                    const TConversionWatch& watch, QString& made) {
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
    TFileFailure end = RunConverter(program, args, watch).Failure;
    if (end.Failed()) return end;
    // It reports a file it cannot read on its output and still exits with 0.
    const QFileInfoList files = QDir(outDir).entryInfoList(QDir::Files);
    if (files.isEmpty()) return Fail("LibreOffice could not convert the document");
    made = files.first().filePath();
    return {};
}

TFileFailure ViaLibreOffice(const QString& program, const QString& file, TRtfDocument& doc,
                            const TConversionWatch& watch) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) return Fail("cannot make a temporary folder");
    // LibreOffice believes a file's extension: an office document named otherwise (a ".txt"
    // that is a zip package) is shown to it without one, so that it looks inside.
    QString source = file;
    static const QStringList trusted = {"doc", "docx", "odt", "wri", "rtf"};
    if (!trusted.contains(QFileInfo(file).suffix().toLower())) {
        source = tmp.filePath("document");
        if (!QFile::link(file, source)) return Fail("cannot make a temporary file");
    }
    QString made;
    const TFileFailure end =
        ConvertWithLibreOffice(program, source, "rtf:Rich Text Format", tmp, watch, made);
    if (end.Failed()) return end;
    QFile rtf(made);
    if (rtf.size() > MaxConvertedRtf) return {TFileReason::TooLarge, "the document is too large"};
    if (!rtf.open(QIODevice::ReadOnly)) return Fail("cannot read LibreOffice's result");
    const QByteArray data = rtf.readAll();
    std::string why;
    if (!ReadRtf(std::string_view(data.constData(), data.size()), doc, &why))
        return {TFileReason::NotUnderstood, why};
    return {};
}

// antiword gives the text only, one paragraph a line, after one empty line.
TFileFailure ViaAntiword(const QString& program, const QString& file, TRtfDocument& doc,
                         const TConversionWatch& watch) {
    TRunResult r = RunConverter(program, {"-m", "UTF-8.txt", "-w", "0", file}, watch);
    if (r.Failure.Failed()) return r.Failure;
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
    return {};
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

TFileFailure ExportOfficeDocument(const std::string& rtf, const QString& fileName,
                                  const TConversionWatch& watch) {
    const QString filter = ExportFilter(QFileInfo(fileName).suffix().toLower());
    const QString program = LibreOfficeProgram();
    if (filter.isEmpty() || program.isEmpty())
        return {TFileReason::ConverterMissing,
                "no program to write this kind of document is installed"};
    QTemporaryDir tmp;
    QFile source(tmp.filePath("document.rtf"));
    if (!tmp.isValid() || !source.open(QIODevice::WriteOnly) ||
        source.write(rtf.data(), static_cast<qint64>(rtf.size())) !=
            static_cast<qint64>(rtf.size()))
        return Fail("cannot write a temporary file");
    source.close();
    QString made;
    if (TFileFailure end =
            ConvertWithLibreOffice(program, source.fileName(), filter, tmp, watch, made);
        end.Failed())
        return end;
    QFile result(made);
    if (!result.open(QIODevice::ReadOnly)) return Fail("cannot read LibreOffice's result");
    const QByteArray bytes = result.readAll();
    if (result.error() != QFileDevice::NoError) return Fail("cannot read LibreOffice's result");
    try {
        SaveFileWhole(QFile::encodeName(fileName).toStdString(),
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const EFileFailure& e) {
        return e.Failure;
    }
    return {};
}

TWordConverter FindWordConverter(int fileKind) {
    if (!LibreOfficeProgram().isEmpty()) return TWordConverter::LibreOffice;
    if (OnlyLibreOfficeReads(fileKind)) return TWordConverter::None;
    if (fileKind == 1 && !QStandardPaths::findExecutable("antiword").isEmpty())
        return TWordConverter::Antiword;
    return TWordConverter::None;
}

TFileFailure ImportWordDocument(const QString& fileName, int fileKind, TRtfDocument& doc,
                                const TConversionWatch& watch) {
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        const TFileReason why = !info.exists()   ? TFileReason::NotFound
                                : !info.isFile() ? TFileReason::NotRegular
                                                 : TFileReason::NoPermission;
        return {why, ("cannot read " + fileName).toStdString()};
    }
    const QString file = info.absoluteFilePath();
    switch (FindWordConverter(fileKind)) {
    case TWordConverter::LibreOffice: return ViaLibreOffice(LibreOfficeProgram(), file, doc, watch);
    case TWordConverter::Antiword:
        return ViaAntiword(QStandardPaths::findExecutable("antiword"), file, doc, watch);
    case TWordConverter::None: break;
    }
    return {TFileReason::ConverterMissing, "no program to read Word documents is installed"};
}

} // namespace tavi
