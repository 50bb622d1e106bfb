#include "cli/progress.h"
#include "cli/output.h"

#include "formats/describe.h"
#include "formats/text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace varnox::cli {

namespace {

using Clock = std::chrono::steady_clock;

// The bar shows only for work that takes longer than this (VARNOX_PROGRESS_DELAY_MS sets
// another, as the tests do), and is redrawn at most this often.
constexpr auto kFirstDraw = std::chrono::milliseconds(500);
constexpr auto kRedraw = std::chrono::milliseconds(100);

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int /*signal*/)
{
    interrupted.store(true);
}

struct sigaction oldInt {};
struct sigaction oldTerm {};

// Ctrl+C and SIGTERM set the flag once; the handler then goes, so a second one kills.
void CatchInterrupts()
{
    struct sigaction catching {};
    catching.sa_handler = OnInterrupt;
    catching.sa_flags = static_cast<int>(SA_RESETHAND); // the flag is 1u << 31
    sigemptyset(&catching.sa_mask);
    sigaction(SIGINT, &catching, &oldInt);
    sigaction(SIGTERM, &catching, &oldTerm);
}

void ReleaseInterrupts()
{
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
}

std::size_t TerminalColumns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// "0:07", "12:40", "1:02:03".
std::string Duration(double seconds)
{
    const std::int64_t whole = std::llround(seconds);
    const std::int64_t h = whole / 3600;
    const std::int64_t m = whole / 60 % 60;
    const std::int64_t s = whole % 60;
    const auto two = [](std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s) : std::to_string(m) + ":" + two(s);
}

// Columns of a UTF-8 text.
std::size_t Columns(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

Clock::duration FirstDraw()
{
    const char* delay = std::getenv("VARNOX_PROGRESS_DELAY_MS");
    if (delay == nullptr || *delay == '\0')
        return kFirstDraw;
    return std::chrono::milliseconds(std::strtol(delay, nullptr, 10));
}

} // namespace

Verbosity VerbosityOf(const ParsedArgs& call)
{
    if (call.options.contains("quiet"))
        return Verbosity::Quiet;
    return call.options.contains("verbose") ? Verbosity::Verbose : Verbosity::Normal;
}

std::string ByteText(std::int64_t bytes)
{
    static constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB"};
    std::size_t unit = 0;
    std::int64_t tenths = bytes * 10;
    while (tenths >= 10000 && unit + 1 < std::size(kUnits)) {
        tenths /= 1000;
        ++unit;
    }
    if (unit == 0)
        return std::to_string(bytes) + " B";
    return TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1,%2 %3"),
                         {std::to_string(tenths / 10), std::to_string(tenths % 10), kUnits[unit]});
}

std::string BarLine(std::int64_t done, std::int64_t total, std::int64_t bytes, double seconds,
                    const std::string& unit, std::size_t width)
{
    std::string tail = "  " + std::to_string(done) + "/" + std::to_string(total) + " " + unit;
    if (bytes > 0) {
        tail += "  " + ByteText(bytes);
        if (seconds > 0)
            tail += "  " + ByteText(static_cast<std::int64_t>(static_cast<double>(bytes) / seconds)) + "/s";
    }
    if (done > 0 && done < total)
        tail += "  " + TranslateWith(QT_TRANSLATE_NOOP("Varnox", "noch %1"),
                                     {Duration(seconds * static_cast<double>(total - done) /
                                               static_cast<double>(done))});
    const std::size_t tailColumns = Columns(tail);
    if (width <= tailColumns + 8)
        return tail.substr(2);
    const std::size_t cells = std::min<std::size_t>(40, width - tailColumns - 3);
    const auto filled = total > 0 ? static_cast<std::size_t>(std::clamp<std::int64_t>(done, 0, total) *
                                                             static_cast<std::int64_t>(cells) / total)
                                  : 0;
    return "[" + std::string(filled, '#') + std::string(cells - filled, ' ') + "]" + tail;
}

CommandProgress::CommandProgress(Verbosity verbosity, const char* unit, bool listToStderr)
    : verbosity_(verbosity), unit_(Translate(unit)),
      bar_(verbosity != Verbosity::Quiet && isatty(STDERR_FILENO) != 0), listToStderr_(listToStderr),
      start_(Clock::now()), lastDraw_(start_ - kRedraw), firstDraw_(FirstDraw())
{
    interrupted.store(false);
    CatchInterrupts();
    job_.SetListener([this](jobs::JobProgress& job) { Told(job); });
    if (verbosity_ == Verbosity::Verbose)
        job_.SetWrittenListener([this](const Path& file) { Listed(file); });
}

CommandProgress::~CommandProgress()
{
    Clear();
    ReleaseInterrupts();
}

bool CommandProgress::Interrupted()
{
    return interrupted.load();
}

void CommandProgress::Clear()
{
    const std::lock_guard lock(mutex_);
    if (drawn_)
        Put(stderr, "\r\033[K");
    drawn_ = false;
}

void CommandProgress::Told(jobs::JobProgress& job)
{
    if (interrupted.load())
        job.Cancel();
    if (!bar_)
        return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < firstDraw_ || now - lastDraw_ < kRedraw)
        return;
    // A worker that finds the line busy leaves the drawing to the one holding it.
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    Draw(BarLine(job.Done(), job.Total(), job.Bytes(), seconds, unit_, TerminalColumns() - 1));
}

void CommandProgress::Draw(const std::string& line)
{
    Put(stderr, "\r\033[K" + line);
    drawn_ = true;
}

void CommandProgress::Listed(const Path& file)
{
    const std::lock_guard lock(mutex_);
    if (drawn_)
        Put(stderr, "\r\033[K");
    drawn_ = false;
    Put(listToStderr_ ? stderr : stdout, PathText(file) + '\n');
}

void PrintInterrupted(const char* leftAsItWas)
{
    Put(stderr, "varnox-cli: " + Translate(QT_TRANSLATE_NOOP("Varnox", "abgebrochen")) + "; " +
                    Translate(leftAsItWas) + '\n');
}

} // namespace varnox::cli
