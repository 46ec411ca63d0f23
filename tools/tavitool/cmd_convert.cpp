// tavitool convert: converts documents from one code table to another, block by block so that
// files of any size take little memory. One file (standard input and output by default), or
// files and folders into a mirror folder or in place, each with its own table detected.
#include "tavitool/command.h"
#include "tavitool/progress.h"

#include "codes/vncodeconverter.h"
#include "document/batchplan.h"
#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Large enough that system calls cost nothing beside the conversion, small enough for the
// block and its output to stay in the processor's cache.
constexpr std::size_t BlockSize = 256 * 1024;

std::string Reason() {
    return std::strerror(errno);
}

// A file descriptor closed with its scope.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd > 2) ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return Fd; }

private:
    int Fd;
};

// Reads up to BlockSize bytes; the count, which is short only at the end of the input.
std::size_t ReadBlock(int fd, char* to, const std::string& name) {
    const long n = tavi::ReadFull(fd, to, BlockSize);
    if (n < 0) throw std::runtime_error("Cannot read " + name + ": " + Reason());
    return static_cast<std::size_t>(n);
}

// Converts the rest of fd through blocks, the first n bytes being already in its room; every
// converted piece goes to put, with the number of bytes read for it.
template <class Put>
void Pump(int fd, const std::string& name, tavi::TBlockConverter& blocks, std::size_t n,
          Put&& put) {
    for (;;) {
        const bool last = n < BlockSize;
        put(blocks.Convert(n, last), n);
        if (last) return;
        n = ReadBlock(fd, blocks.Room(), name);
    }
}

int OpenInput(const std::string& name) {
    if (name.empty() || name == "-") return 0;
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("Cannot open file " + name);
    }
    return fd;
}

// The single-file form: IN (or standard input) to OUT (or standard output).
int ConvertOne(const std::string& from, const std::string& to, bool rtf,
               const tavitool::Args& args) {
    const std::string inName = args.empty() ? "" : args[0];
    const std::string outName = args.size() > 1 ? args[1] : "";
    tavi::TVnCodeConverter converter;
    converter.RtfMode = rtf;
    converter.SetDestTable(to);
    converter.SetSourceTable(from); // empty: detected on the first block
    TFd in(OpenInput(inName));
    tavi::TBlockConverter blocks(converter, BlockSize);
    const std::string name = inName.empty() ? "standard input" : inName;
    const std::size_t n = ReadBlock(in.Get(), blocks.Room(), name);
    if (outName.empty() || outName == "-") {
        Pump(in.Get(), name, blocks, n, [](std::string_view bytes, std::size_t) {
            if (!tavi::WriteAll(1, bytes))
                throw std::runtime_error("Cannot write to standard output: " + Reason());
        });
    } else {
        tavi::TAtomicFileWriter out(outName);
        Pump(in.Get(), name, blocks, n,
             [&](std::string_view bytes, std::size_t) { out.Write(bytes); });
        out.Commit();
    }
    return 0;
}

struct TBatchOptions {
    std::string From, To;
    fs::path OutDir; // empty: in place
    bool Backup = true;
};

// A file of the run and where its conversion goes.
struct TJob {
    fs::path Source, Target;
};

// A file that cannot be done; the run goes on with the next.
struct TFileFailure {
    std::string Message;
};

class TBatch {
public:
    explicit TBatch(TBatchOptions options) : Options(std::move(options)) {}

    void Add(const std::string& arg);
    int Run();

private:
    void Walk(const fs::path& folder, const fs::path& root);
    // What was done with the file, for its line; table: the table found.
    std::string DoFile(const TJob& job, std::string& table);
    std::string Copy(const TJob& job, int fd, std::vector<char>& head, std::size_t n,
                     bool asciiOnly, unsigned mode);
    std::string ConvertFile(const TJob& job, int fd, const tavi::TFilePlan& plan,
                            std::vector<char>& head, std::size_t n, unsigned mode);
    void Replace(tavi::TAtomicFileWriter& out, const TJob& job);
    void Report(const fs::path& file, const std::string& table, const std::string& what);

    TBatchOptions Options;
    std::vector<TJob> Jobs;
    std::set<fs::path> Targets;
    fs::path OutDirReal; // the mirror folder as the walk meets it, never walked into
    int Failed = 0;
    tavitool::TProgress Progress;
    tavi::TVnCodeConverter Detector;
};

void TBatch::Add(const std::string& arg) {
    const fs::path path(arg);
    std::error_code ec;
    if (!Options.OutDir.empty() && OutDirReal.empty())
        OutDirReal = fs::weakly_canonical(Options.OutDir, ec);
    if (fs::is_directory(path, ec)) {
        if (!Options.OutDir.empty() && fs::weakly_canonical(path, ec) == OutDirReal)
            throw tavitool::UsageError{"--out-dir must not be the folder converted"};
        Walk(path, path);
    } else {
        Jobs.push_back({path, Options.OutDir.empty() ? path : Options.OutDir / path.filename()});
    }
}

void TBatch::Walk(const fs::path& folder, const fs::path& root) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) {
        Report(folder, "-", "failed: cannot read the folder: " + ec.message());
        ++Failed;
        return;
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& e : entries) {
        const fs::path& p = e.path();
        if (e.is_directory(ec) && e.is_symlink(ec)) {
            Report(p, "-", "a link to a folder, not followed"); // it could lead back here
        } else if (e.is_directory(ec)) {
            if (OutDirReal.empty() || fs::weakly_canonical(p, ec) != OutDirReal) Walk(p, root);
        } else {
            // A backup of an earlier run is the user's old document, not one to convert.
            if (Options.OutDir.empty() && p.extension() == ".bak") continue;
            Jobs.push_back(
                {p, Options.OutDir.empty() ? p : Options.OutDir / p.lexically_relative(root)});
        }
    }
}

int TBatch::Run() {
    std::uintmax_t total = 0;
    std::error_code ec;
    for (const auto& job : Jobs) {
        const std::uintmax_t size = fs::file_size(job.Source, ec);
        if (!ec) total += size;
    }
    Progress.Start(Jobs.size(), total);
    for (const auto& job : Jobs) {
        std::string table = "-";
        std::string what;
        try {
            what = DoFile(job, table);
        } catch (const TFileFailure& f) {
            what = "failed: " + f.Message;
        } catch (const std::exception& e) {
            what = "failed: " + std::string(e.what());
        }
        if (what.rfind("failed", 0) == 0) {
            ++Failed;
            what += Options.OutDir.empty() ? "; the file is unchanged" : "; nothing written";
        }
        Report(job.Source, table, what);
        const std::uintmax_t size = fs::file_size(job.Source, ec);
        Progress.FileDone(ec ? 0 : size);
    }
    Progress.Finish();
    return Failed ? 1 : 0;
}

std::string TBatch::DoFile(const TJob& job, std::string& table) {
    if (!Options.OutDir.empty() && !Targets.insert(job.Target.lexically_normal()).second)
        throw TFileFailure{"another file of the run is written to " + job.Target.string()};
    // Not blocking: a named pipe is opened only to be found not to be a file.
    TFd fd(::open(job.Source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0)
        throw TFileFailure{"cannot read it: " + Reason()};
    if (!S_ISREG(st.st_mode)) return "not a regular file, skipped";
    std::vector<char> head(BlockSize);
    const std::size_t n = ReadBlock(fd.Get(), head.data(), job.Source.string());
    const tavi::TFilePlan plan = tavi::PlanFileConversion(std::string_view(head.data(), n),
                                                          Options.From, Options.To, Detector);
    const unsigned mode = st.st_mode & 07777;
    table = plan.Table.empty() ? "-" : plan.Table;
    switch (plan.Kind) {
    case tavi::TFilePlan::Binary: table = "binary"; return "skipped";
    case tavi::TFilePlan::Undetected:
        throw TFileFailure{"no known code table; give it with --from"};
    case tavi::TFilePlan::Ascii:
        table = "ASCII";
        return "nothing to convert, " + Copy(job, fd.Get(), head, n, !plan.Rtf, mode);
    case tavi::TFilePlan::Already:
        return "already " + Options.To + ", " + Copy(job, fd.Get(), head, n, false, mode);
    case tavi::TFilePlan::Convert: return ConvertFile(job, fd.Get(), plan, head, n, mode);
    }
    return {};
}

// A file that needs no conversion: copied to the mirror folder, left alone in place. A file
// judged ASCII on its first block is read to the end to be sure.
std::string TBatch::Copy(const TJob& job, int fd, std::vector<char>& head, std::size_t n,
                         bool asciiOnly, unsigned mode) {
    if (Options.OutDir.empty() && !asciiOnly) return "left as it is";
    std::unique_ptr<tavi::TAtomicFileWriter> out;
    if (!Options.OutDir.empty()) {
        std::error_code ec;
        fs::create_directories(job.Target.parent_path(), ec);
        out = std::make_unique<tavi::TAtomicFileWriter>(job.Target, static_cast<int>(mode));
    }
    for (;;) {
        const std::string_view block(head.data(), n);
        if (asciiOnly && std::any_of(block.begin(), block.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            throw TFileFailure{"letters outside ASCII only after its first " +
                               std::to_string(BlockSize / 1024) + " KB; give --from"};
        if (out) out->Write(block);
        Progress.Add(n);
        if (n < BlockSize) break;
        n = ReadBlock(fd, head.data(), job.Source);
    }
    if (!out) return "left as it is";
    out->Commit();
    return "copied unchanged to " + job.Target.string();
}

std::string TBatch::ConvertFile(const TJob& job, int fd, const tavi::TFilePlan& plan,
                                std::vector<char>& head, std::size_t n, unsigned mode) {
    tavi::TVnCodeConverter converter;
    converter.RtfMode = plan.Rtf;
    converter.SetDestTable(Options.To);
    converter.SetSourceTable(plan.Table);
    tavi::TBlockConverter blocks(converter, BlockSize);
    std::copy_n(head.begin(), n, blocks.Room());
    std::error_code ec;
    if (!Options.OutDir.empty()) fs::create_directories(job.Target.parent_path(), ec);
    tavi::TAtomicFileWriter out(job.Target, static_cast<int>(mode));
    Pump(fd, job.Source, blocks, n, [&](std::string_view bytes, std::size_t read) {
        out.Write(bytes);
        Progress.Add(read);
    });
    const std::string as = plan.Rtf ? " (RTF)" : "";
    if (!Options.OutDir.empty()) {
        out.Commit();
        return "converted to " + Options.To + as + " in " + job.Target.string();
    }
    Replace(out, job);
    return "converted to " + Options.To + as +
           (Options.Backup ? ", the old file kept as .bak" : "");
}

// Puts the converted file in place of the old one, keeping the old one as NAME.bak first.
void TBatch::Replace(tavi::TAtomicFileWriter& out, const TJob& job) {
    if (Options.Backup) {
        const fs::path bak = job.Source.string() + ".bak";
        std::string hidden = ".";
        hidden += job.Source.filename().string();
        hidden += ".bak." + std::to_string(::getpid());
        const fs::path temp = job.Source.parent_path() / hidden;
        std::error_code ec;
        fs::remove(temp, ec);
        // A second name for the old file costs nothing; a copy only where links cannot be made.
        if (::link(job.Source.c_str(), temp.c_str()) != 0) fs::copy_file(job.Source, temp, ec);
        if (ec || std::rename(temp.c_str(), bak.c_str()) != 0) {
            fs::remove(temp, ec);
            throw TFileFailure{"cannot keep the old file as " + bak.string()};
        }
    }
    out.Commit(true);
}

void TBatch::Report(const fs::path& file, const std::string& table, const std::string& what) {
    Progress.Line(file.string() + ": " + table + ": " + what);
}

int Convert(tavitool::Args& args) {
    // Past a file-size limit, writes fail (reported, the old file kept) instead of the signal
    // ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string from = tavitool::TakeOption(args, "--from");
    const std::string to = tavitool::TakeOption(args, "--to");
    const bool rtf = tavitool::TakeFlag(args, "--rtf");
    const std::string outDir = tavitool::TakeOption(args, "--out-dir");
    const bool inPlace = tavitool::TakeFlag(args, "--in-place");
    const bool noBackup = tavitool::TakeFlag(args, "--no-backup");
    tavitool::NoMoreOptions(args);
    if (to.empty()) throw tavitool::UsageError{"--to is required"};
    if (!outDir.empty() && inPlace) throw tavitool::UsageError{"--out-dir or --in-place, not both"};
    if (noBackup && !inPlace) throw tavitool::UsageError{"--no-backup is for --in-place"};
    if (outDir.empty() && !inPlace) {
        if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
        std::error_code ec;
        for (const auto& a : args)
            if (fs::is_directory(a, ec))
                throw tavitool::UsageError{a + " is a folder: give --out-dir or --in-place"};
        return ConvertOne(from, to, rtf, args);
    }
    if (rtf) throw tavitool::UsageError{"RTF files are found by their contents"};
    if (args.empty()) throw tavitool::UsageError{"give the files and folders to convert"};
    // Checks the table names before any file is touched.
    tavi::TVnCodeConverter check;
    check.SetDestTable(to);
    if (!from.empty()) check.SetSourceTable(from);
    TBatch batch({from, to, outDir, !noBackup});
    for (const auto& a : args) batch.Add(a);
    return batch.Run();
}

tavitool::Register
    reg("convert",
        "[--from NAME] --to NAME [--rtf] [IN [OUT]] | [--from NAME] --to NAME (--out-dir DIR | "
        "--in-place [--no-backup]) PATH...   convert between code tables: one file (standard input "
        "and output by default), or files and folders (walked) mirrored into DIR or replaced in "
        "place with a .bak copy; without --from each file's table is detected",
        Convert);

} // namespace
