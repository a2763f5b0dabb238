#include "cli/RotateCli.h"

#include "batch/FileNames.h"
#include "batch/FolderScan.h"
#include "batch/InputCheck.h"
#include "batch/JournalPlace.h"
#include "batch/NameJournal.h"
#include "cli/BatchRunner.h"
#include "cli/CommandLine.h"
#include "cli/FailureWords.h"
#include "cli/PrintableName.h"
#include "cli/ProgressLine.h"
#include "settings/AppFolders.h"

#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr const char* kProgram = "fennex-rotate";

// Empty when outputs can be written into folder; otherwise why not.
std::string OutputFolderProblem(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return "output folder " + folder + " does not exist";
    if (!S_ISDIR(info.st_mode))
        return "output " + folder + " is not a folder";
    if (!FolderWriteTest(folder))
        return "cannot write into the output folder " + folder;
    return {};
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// What a killed run (of this program or the window) left behind: its
// cut-short outputs go, and inputs an earlier version left under temporary
// names get their names back. Said on err.
void RecoverKilledRuns(std::ostream& err)
{
    std::vector<std::string> removed;
    for (const RestoredName& entry : RecoverAllJournals(&removed)) {
        if (entry.error != 0)
            err << kProgram << ": cannot give " << PrintableName(entry.temporaryName)
                << " its name " << PrintableName(entry.ownName)
                << " back: " << std::strerror(entry.error) << '\n';
        else
            err << kProgram << ": an unfinished batch left " << PrintableName(entry.ownName)
                << " as " << PrintableName(entry.temporaryName) << "; it is "
                << PrintableName(entry.ownName) << " again\n";
    }
    for (const std::string& path : removed)
        err << kProgram << ": removed " << PrintableName(path)
            << ", the unfinished output of a run that was killed\n";
}

// Says a refused input on err.
void SayRefused(const std::string& path, const InputVerdict& verdict, std::ostream& err)
{
    err << kProgram << ": skipped " << PrintableName(path) << ": " << RejectionSentence(verdict)
        << '\n';
}

// The inputs the check accepts, each with its duration and its turn (that
// of the argument it came from); every other one is said on err and
// counted in rejected. A folder stands for every video inside it
// (FolderScan), each counted in fileCount, with one line on err of what
// was found. Stops at an interrupt.
std::vector<BatchInput> CheckInputs(const std::vector<std::string>& files,
                                    const std::vector<int>& turns, std::ostream& err,
                                    const std::atomic<bool>& interrupt, int& rejected,
                                    int& fileCount)
{
    std::vector<BatchInput> accepted;
    const auto take = [&](const std::string& path, const InputVerdict& verdict, int turn) {
        ++fileCount;
        if (!verdict.accepted()) {
            SayRefused(path, verdict, err);
            ++rejected;
            return;
        }
        accepted.push_back(BatchInput{path, verdict.duration_s, turn});
    };
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::string& file = files[k];
        const int turn = k < turns.size() ? turns[k] : 0;
        if (interrupt.load()) {
            ++fileCount;  // not reached: counted as stopped
            continue;
        }
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            take(file, CheckInput(file), turn);
            continue;
        }
        const FolderScanResult scan = FolderScan().Scan(file, &interrupt);
        if (scan.rootError != 0) {
            err << kProgram << ": skipped " << PrintableName(file)
                << ": cannot read the folder: " << std::strerror(scan.rootError) << '\n';
            ++fileCount;
            ++rejected;
            continue;
        }
        for (const ScannedFile& video : scan.videos)
            take(video.path, video.verdict, turn);
        for (const ScannedFile& refused : scan.refused)
            take(refused.path, refused.verdict, turn);
        err << kProgram << ": folder " << PrintableName(file) << ": " << scan.videos.size()
            << " videos, " << scan.refused.size() << " refused, " << scan.skipped
            << " other files skipped, in " << scan.folders
            << (scan.folders == 1 ? " folder" : " folders")
            << (scan.cancelled ? " (stopped before the end)" : "") << '\n';
    }
    return accepted;
}

// Prints the summary line and returns the exit status.
int Summarise(const std::vector<PositionOutcome>& outcomes, int fileCount, int rejected,
              std::size_t acceptedCount, std::ostream& out)
{
    int done = 0;
    int failed = 0;
    int stopped = 0;
    bool notes = false;
    for (const PositionOutcome& outcome : outcomes) {
        if (outcome.kind == PositionOutcome::kDone) {
            ++done;
            notes = notes || outcome.moveError != 0;
        } else if (outcome.kind == PositionOutcome::kFailed) {
            ++failed;
        } else {
            ++stopped;
        }
    }
    // Files the stop came before were neither checked nor tried.
    stopped += fileCount - rejected - static_cast<int>(acceptedCount);

    out << done << " done, " << failed << " failed, " << rejected << " rejected";
    if (stopped > 0)
        out << ", " << stopped << " stopped";
    out << '\n' << std::flush;

    const bool allDone = done == fileCount && !notes;
    return allDone ? kExitAllDone : kExitSomeNotDone;
}

}  // namespace

int RunRotateCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::atomic<bool>& interrupt, bool errIsTerminal)
{
    const CommandLine line = ParseCommandLine(args);
    if (line.help) {
        out << UsageText();
        return kExitAllDone;
    }
    if (line.version) {
        out << VersionText();
        return kExitAllDone;
    }
    if (!line.error.empty()) {
        err << kProgram << ": " << line.error << "\n"
            << "usage: fennex-rotate --rotate 90|180|270 --output DIR FILE|FOLDER... (see "
               "--help)\n";
        return kExitUsage;
    }
    if (const std::string problem = OutputFolderProblem(line.output_folder); !problem.empty()) {
        err << kProgram << ": " << problem << '\n';
        return kExitUsage;
    }

    RecoverKilledRuns(err);
    int rejected = 0;
    int fileCount = 0;
    const std::vector<BatchInput> accepted =
        CheckInputs(line.files, line.turns, err, interrupt, rejected, fileCount);

    ProgressLine progress(err, errIsTerminal);
    // Partial outputs are recorded while they are written, so that a run
    // that is killed leaves none for good. Without a place for that record
    // the run goes on, and says so first.
    const std::string journalPath = JournalPath();
    if (!IsWritableFolder(FolderOf(journalPath)))
        err << kProgram << ": warning: no folder can keep the record of unfinished outputs ("
            << PrintableName(FolderOf(journalPath))
            << "); should this run be killed, its partial output stays\n";
    NameJournal journal(journalPath);
    BatchRunner runner(out, progress, interrupt, &journal);
    const std::vector<PositionOutcome> outcomes = runner.Run(accepted, line.output_folder);
    return Summarise(outcomes, fileCount, rejected, accepted.size(), out);
}
