// Benchmark of a generation run: one million entries, compared with an
// equivalent mawk script writing the same bytes and with `cat` copying them.
// Prints figures; it is not a test and asserts nothing about speed.
#include <chrono>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "generate/generation.h"

namespace {

const char* kUrl = "http://www.example.org/photos/&A/img&B.jpg"; // 42 characters
const char* kDestination = "C:\\dl\\photos\\&A_&B.jpg";          // 23 characters
const char* kAwk = "BEGIN { for (a = 0; a < 1000; a++) for (b = 0; b < 1000; b++) "
                   "printf \"URL: http://www.example.org/photos/%03d/img%03d.jpg\\r\\n"
                   "File: C:\\\\dl\\\\photos\\\\%03d_%03d.jpg\\r\\n\", a, b, a, b }";

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool Generate(const std::string& path, const char* aEnd, const char* bEnd) {
    static Settings settings;
    snprintf(settings.URL, sizeof settings.URL, "%s", kUrl);
    snprintf(settings.DownloadDestination, sizeof settings.DownloadDestination, "%s", kDestination);
    snprintf(settings.Filename, sizeof settings.Filename, "%s", path.c_str());
    VariableSwitch sw[3] = {{true, "000", aEnd}, {true, "000", bEnd}, {false, "", ""}};
    char result[RESULT_TEXT_SIZE];
    RunOutcome outcome = RunGeneration(settings, sw, nullptr, result);
    if (outcome != RUN_CREATED)
        fprintf(stderr, "run failed: %s\n", result);
    return outcome == RUN_CREATED;
}

double BestOf(int rounds, const std::string& command) {
    double best = 1e30;
    for (int i = 0; i < rounds; i++) {
        double t0 = Now();
        if (system(command.c_str()) != 0) {
            fprintf(stderr, "failed: %s\n", command.c_str());
            exit(1);
        }
        double t = Now() - t0;
        if (t < best)
            best = t;
    }
    return best;
}

// Peak resident memory (KiB) of a child process that runs one generation.
long PeakKiB(const std::string& path, const char* aEnd, const char* bEnd) {
    pid_t child = fork();
    if (child == 0)
        _exit(Generate(path, aEnd, bEnd) ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main() {
    char folderTemplate[] = "/tmp/quorvel-bench-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder)
        return 1;
    std::string ours = std::string(folder) + "/ours.grx";
    std::string awk = std::string(folder) + "/awk.grx";
    std::string copy = std::string(folder) + "/copy.grx";
    const int rounds = 5;

    double ourBest = 1e30;
    for (int i = 0; i < rounds; i++) {
        double t0 = Now();
        if (!Generate(ours, "999", "999"))
            return 1;
        double t = Now() - t0;
        if (t < ourBest)
            ourBest = t;
    }
    std::string script = std::string(folder) + "/gen.awk";
    FILE* f = fopen(script.c_str(), "w");
    if (!f)
        return 1;
    fputs(kAwk, f);
    fclose(f);
    double awkBest = BestOf(rounds, "mawk -f " + script + " > " + awk);
    double catBest = BestOf(rounds, "cat " + ours + " > " + copy);
    bool same = system(("cmp -s " + ours + " " + awk).c_str()) == 0;

    long peakSmall = PeakKiB(std::string(folder) + "/small.grx", "009", "999"); // 10,000 entries
    long peakLarge = PeakKiB(std::string(folder) + "/large.grx", "999", "999"); // 1,000,000

    struct stat_size {
        long long bytes;
    } size{0};
    if (FILE* g = fopen(ours.c_str(), "rb")) {
        fseek(g, 0, SEEK_END);
        size.bytes = ftell(g);
        fclose(g);
    }

    printf("generation of 1,000,000 entries (%lld bytes), best of %d runs\n", size.bytes, rounds);
    printf("  %-28s %8.3f s\n", "quorvel RunGeneration", ourBest);
    printf("  %-28s %8.3f s   quorvel is %.1fx faster\n", "mawk script, same bytes", awkBest,
           awkBest / ourBest);
    printf("  %-28s %8.3f s   quorvel takes %.2fx the copy\n", "cat copy of the list", catBest,
           ourBest / catBest);
    printf("  same bytes as mawk: %s\n", same ? "yes" : "NO");
    printf("peak memory of a run: %ld KiB for 10,000 entries, %ld KiB for 1,000,000 entries\n",
           peakSmall, peakLarge);

    system(("rm -rf " + std::string(folder)).c_str());
    return same ? 0 : 1;
}
