#include "app/cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <set>
#include <stdexcept>
#include <string_view>

#include "app/json_form.h"
#include "model/record_file.h"
#include "model/service_csv.h"
#include "model/service_due.h"
#include "model/service_log.h"

#ifndef COGBOOK_VERSION
#define COGBOOK_VERSION "unknown"
#endif

namespace cogbook {

namespace {

// A failure to report as "cogbook: FILE: MESSAGE", exit status 1.
struct FileFailure {
    std::string file;
    std::string message;
};

std::vector<std::uint8_t> readInput(const std::string& path) {
    try {
        return readWholeFile(path);
    } catch (const std::runtime_error& error) {
        throw FileFailure{path, error.what()};
    }
}

ZRBicycleListPtr readRecord(const std::string& path) {
    const auto bytes = readInput(path);
    try {
        return readRecordFile(bytes);
    } catch (const RecordFileError& error) {
        throw FileFailure{path, std::string("not a valid record: ") + error.what()};
    }
}

int usageError(std::ostream& err, const std::string& problem) {
    if (!problem.empty()) err << "cogbook: " << problem << '\n';
    err << kUsageLine << '\n';
    return 2;
}

// Output that went nowhere (a full disk, a closed pipe) must not pass for success.
int finishOutput(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) return 0;
    err << "cogbook: standard output: write error\n";
    return 1;
}

int print(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto bike = readRecord(file);
    if (const auto text = bike->stringFromBicycleList()) out << *text;
    return finishOutput(out, err);
}

int exportCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto bike = readRecord(file);
    out << exportJson(*bike);
    return finishOutput(out, err);
}

int exportCsvCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto bike = readRecord(file);
    out << serviceLogCsv(*bike);
    return finishOutput(out, err);
}

// One line per part with an interval, most urgent first: its path, then how
// it stands ("overdue by 5 days"). Nothing due is no failure: the exit
// status stays 0 for scripts that only read the list.
int dueCommand(const std::string& file, std::ostream& out, std::ostream& err, Date now) {
    const auto bike = readRecord(file);
    for (const PartDue& due : serviceDueOverview(*bike, now).parts) {
        const std::string path = partPath(*due.part);
        out << (path.empty() ? due.part->partName() : path) << '\t' << due.text << '\n';
    }
    return finishOutput(out, err);
}

int importCommand(const std::string& jsonFile, const std::string& outFile) {
    const auto bytes = readInput(jsonFile);
    ZRBicycleListPtr bike;
    try {
        bike = importJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const JsonFormError& error) {
        throw FileFailure{jsonFile, error.what()};
    }
    const auto record = writeRecordFile(*bike);
    try {
        writeFileAtomically(outFile, record);
    } catch (const std::runtime_error& error) {
        throw FileFailure{outFile, error.what()};
    }
    return 0;
}

int exportPdfCommand(const std::string& file, const std::string& outFile, const PdfRenderer& pdf) {
    const auto bike = readRecord(file);
    // Replacing the record with its own PDF would lose the record.
    std::error_code ignored;
    if (std::filesystem::equivalent(file, outFile, ignored)) {
        throw FileFailure{outFile, "is the record being exported; choose another output file"};
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = pdf(*bike, std::filesystem::path(file).filename().string());
    } catch (const std::runtime_error& error) {
        throw FileFailure{outFile, error.what()};
    }
    try {
        writeFileAtomically(outFile, bytes);
    } catch (const std::runtime_error& error) {
        throw FileFailure{outFile, error.what()};
    }
    return 0;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const PdfRenderer& pdf) {
    if (args.empty()) return usageError(err, "");
    const std::string& command = args[0];
    const std::size_t operands = args.size() - 1;
    if (command == "--help" || command == "-h") {
        if (operands != 0) return usageError(err, command + " takes no arguments");
        out << kUsageLine << '\n'
            << "\n"
               "  cogbook FILE...              open records (needs the windowed build)\n"
               "  cogbook print FILE           the record as plain text\n"
               "  cogbook export-pdf FILE OUT  the printed record as a PDF file\n"
               "  cogbook export-json FILE     the record as JSON\n"
               "  cogbook import-json JSON OUT a record file made from JSON\n"
               "  cogbook export-csv FILE      the service log as CSV, newest first\n"
               "  cogbook due FILE             the parts with a service interval, most\n"
               "                               urgent first, and when each is due\n"
               "\n"
               "Exit status: 0 on success, 1 when a file cannot be read or written\n"
               "or holds no valid record or JSON, 2 on bad usage.\n";
        return finishOutput(out, err);
    }
    if (command == "--version") {
        if (operands != 0) return usageError(err, command + " takes no arguments");
        out << "cogbook " << COGBOOK_VERSION << '\n';
        return finishOutput(out, err);
    }
    if (command == "print" || command == "export-json") {
        if (operands != 1) return usageError(err, command + " takes one FILE");
        return command == "print" ? print(args[1], out, err) : exportCommand(args[1], out, err);
    }
    if (command == "export-csv" || command == "due") {
        if (operands != 1) return usageError(err, command + " takes one FILE");
        return command == "due" ? dueCommand(args[1], out, err, Date::now()) : exportCsvCommand(args[1], out, err);
    }
    if (command == "export-pdf") {
        if (operands != 2) return usageError(err, command + " takes a record FILE and an OUT file");
        if (!pdf) {
            err << "cogbook: this build cannot write PDF; it needs the windowed build\n";
            return 1;
        }
        return exportPdfCommand(args[1], args[2], pdf);
    }
    if (command == "import-json") {
        if (operands != 2) return usageError(err, command + " takes a JSON file and an OUT file");
        return importCommand(args[1], args[2]);
    }
    if (!command.empty() && command[0] == '-') return usageError(err, "unknown option " + command);
    return usageError(err, "this build has no windows to open records in; use a command");
}

} // namespace

bool isCommandLineForm(const std::vector<std::string>& args) {
    static const std::set<std::string, std::less<>> words{"print",      "export-pdf", "export-json", "import-json",
                                                          "export-csv", "due",        "--help",      "-h",
                                                          "--version"};
    return !args.empty() && words.count(args.front()) > 0;
}

int runCommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err, const PdfRenderer& pdf) {
    try {
        return dispatch(args, out, err, pdf);
    } catch (const FileFailure& failure) {
        err << "cogbook: " << failure.file << ": " << failure.message << '\n';
    } catch (const std::bad_alloc&) {
        err << "cogbook: out of memory\n";
    } catch (const std::exception& error) {
        err << "cogbook: " << error.what() << '\n';
    }
    return 1;
}

} // namespace cogbook
