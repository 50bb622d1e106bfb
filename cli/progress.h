#pragma once
// What a long command tells while it works, on standard error: a bar redrawn on one line
// when that is a terminal, nothing when it is not; -q keeps only the errors, -v lists each
// file as it is written. Ctrl+C asks the job to stop at its next safe point instead of
// killing the program, so that it leaves its files as it promises; a second one kills.

#include "cli/options.h"
#include "jobs/progress.h"

#include <chrono>
#include <mutex>
#include <string>

namespace varnox::cli {

enum class Verbosity { Quiet, Normal, Verbose };

// -q or -v of the call; Normal without either.
Verbosity VerbosityOf(const ParsedArgs& call);

// The exit code of a command stopped by Ctrl+C (128 + SIGINT, as a shell reports it).
inline constexpr int kExitInterrupted = 130;

// One command's progress. The job is handed Job(); while the object lives, Ctrl+C cancels
// it. unit names what the job counts ("Einträge", marked for the catalogue).
class CommandProgress {
  public:
    CommandProgress(Verbosity verbosity, const char* unit, bool listToStderr = false);
    ~CommandProgress();
    CommandProgress(const CommandProgress&) = delete;
    CommandProgress& operator=(const CommandProgress&) = delete;

    jobs::JobProgress* Job() { return &job_; }
    // True once Ctrl+C (or SIGTERM) came while the object lived.
    static bool Interrupted();
    // Clears the bar, so that what follows starts on a clean line.
    void Clear();

  private:
    void Told(jobs::JobProgress& job);
    void Listed(const Path& file);
    void Draw(const std::string& line);

    jobs::JobProgress job_;
    Verbosity verbosity_;
    std::string unit_;
    bool bar_ = false;          // standard error is a terminal and -q was not given
    bool listToStderr_ = false; // -v's list goes to standard error (standard output carries data)
    bool drawn_ = false;        // a bar is on the line
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::chrono::steady_clock::duration firstDraw_;
    std::mutex mutex_;
};

// "12,3 MB", "4,0 KB": bytes in the units of 1000 a progress line shows.
std::string ByteText(std::int64_t bytes);

// The bar's line for done of total units, bytes moved and seconds taken, at most width
// columns: "[#####     ]  120/400 Einträge  1,2 MB  3,4 MB/s  noch 0:07".
std::string BarLine(std::int64_t done, std::int64_t total, std::int64_t bytes, double seconds,
                    const std::string& unit, std::size_t width);

// The text Ctrl+C leaves: "abgebrochen; …" and what the command left as it was.
void PrintInterrupted(const char* leftAsItWas);

} // namespace varnox::cli
