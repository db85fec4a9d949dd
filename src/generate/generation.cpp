#include "generate/generation.h"

#include <stdio.h>
#include <string.h>

#include "generate/output_file.h"
#include "resources/resource.h"

namespace {

struct StatusString {
    unsigned id;
    const char* text;
};

// The same texts as the resource script's string table (one source: resource.h).
const StatusString kStatusStrings[] = {
    {IDS_INVALID_NUMBER, TEXT_INVALID_NUMBER},
    {IDS_DIGITS_DIFFER, TEXT_DIGITS_DIFFER},
    {IDS_BAD_OPTIONS, TEXT_BAD_OPTIONS},
    {IDS_CREATED, TEXT_CREATED},
    {IDS_ABORTED, TEXT_ABORTED},
    {IDS_ENDED, TEXT_ENDED},
    {IDS_THREAD_FAILED, TEXT_THREAD_FAILED},
    {IDS_WORKING, TEXT_WORKING},
    {IDS_LINE_TOO_LONG, TEXT_LINE_TOO_LONG},
};

// One entry ("URL: ...\r\n" "File: ...\r\n") with the literal text in place and
// a slot wherever a variable's digits go; a run patches the slots of the
// variables that changed and copies the whole image out.
enum { ENTRY_IMAGE_SIZE = 5 + MAX_LINE + 2 + 6 + MAX_LINE + 2, MAX_SLOTS = MAX_LINE };

struct EntryImage {
    char bytes[ENTRY_IMAGE_SIZE];
    size_t length;
    uint16_t slotOffset[VARIABLE_COUNT][MAX_SLOTS];
    size_t slotCount[VARIABLE_COUNT];
};

void AppendText(EntryImage& image, const char* text) {
    size_t n = strlen(text);
    memcpy(image.bytes + image.length, text, n);
    image.length += n;
}

int VariableOf(char letter) {
    const char* letters = "AaBbCc";
    const char* p = letter ? strchr(letters, letter) : nullptr;
    return p ? (int)(p - letters) / 2 : -1;
}

// Mirrors ExpandTemplate; the caller has checked that the line fits MAX_LINE.
void AppendTemplate(EntryImage& image, const char* tmpl, const RangeVariable* variables) {
    for (size_t i = 0; tmpl[i] != '\0';) {
        if (tmpl[i] != '&') {
            image.bytes[image.length++] = tmpl[i++];
            continue;
        }
        char next = tmpl[i + 1];
        if (next == '\0')
            break;
        if (next == '&') {
            image.bytes[image.length++] = '&';
        } else {
            int v = VariableOf(next);
            if (v >= 0 && variables[v].digits > 0) {
                image.slotOffset[v][image.slotCount[v]++] = (uint16_t)image.length;
                image.length += variables[v].digits;
            }
        }
        i += 2;
    }
}

void BuildImage(EntryImage& image, const char* url, const char* destination,
                const RangeVariable* variables) {
    image.length = 0;
    memset(image.slotCount, 0, sizeof image.slotCount);
    AppendText(image, "URL: ");
    AppendTemplate(image, url, variables);
    AppendText(image, "\r\n");
    AppendText(image, "File: ");
    AppendTemplate(image, destination, variables);
    AppendText(image, "\r\n");
}

// Zero-padded to exactly digits characters; the value is known to fit.
void PatchVariable(EntryImage& image, int v, uint32_t value, uint32_t digits) {
    if (image.slotCount[v] == 0)
        return;
    char text[VARIABLE_TEXT_SIZE];
    for (uint32_t i = digits; i > 0; i--) {
        text[i - 1] = (char)('0' + value % 10);
        value /= 10;
    }
    for (size_t s = 0; s < image.slotCount[v]; s++)
        memcpy(image.bytes + image.slotOffset[v][s], text, digits);
}

struct Writer {
    OutputFile file;
    char buffer[256 * 1024];
    size_t used;
    bool failed;
    uint32_t error;
};

void Flush(Writer& w) {
    if (!w.failed && w.used > 0 && !WriteOutput(&w.file, w.buffer, w.used, &w.error))
        w.failed = true;
    w.used = 0;
}

void Emit(Writer& w, const EntryImage& image) {
    if (w.used + image.length > sizeof w.buffer)
        Flush(w);
    memcpy(w.buffer + w.used, image.bytes, image.length);
    w.used += image.length;
}

RunOutcome Finish(RunOutcome outcome, char* resultText, unsigned id) {
    snprintf(resultText, RESULT_TEXT_SIZE, "%s", StatusText(id));
    return outcome;
}

RunOutcome FileError(char* resultText, uint32_t error) {
    SystemErrorText(error, resultText, RESULT_TEXT_SIZE);
    return RUN_FILE_ERROR;
}

} // namespace

const char* StatusText(unsigned id) {
    for (const StatusString& s : kStatusStrings)
        if (s.id == id)
            return s.text;
    return "";
}

RunOutcome PrepareVariables(const VariableSwitch switches[VARIABLE_COUNT],
                            RangeVariable variables[VARIABLE_COUNT]) {
    bool invalid = false, unequal = false;
    for (int v = 0; v < VARIABLE_COUNT; v++) {
        RangeVariable& var = variables[v];
        var.start = var.end = var.current = var.digits = 0;
        var.text[0] = '\0';
        const VariableSwitch& sw = switches[v];
        if (sw.enabled) {
            const char* startText = sw.startText ? sw.startText : "";
            const char* endText = sw.endText ? sw.endText : "";
            size_t startLength = strlen(startText);
            // A start text wider than a rendered value can be is refused outright.
            if (startLength > MAX_DIGITS || !ReadNumber(startText, &var.start))
                invalid = true;
            else
                var.digits = (uint32_t)startLength;
            if (!ReadNumber(endText, &var.end))
                invalid = true;
            if (strlen(endText) != startLength)
                unequal = true;
        }
        if (var.start > var.end)
            invalid = true;
        var.current = var.start;
    }
    if (unequal)
        return RUN_DIGITS_DIFFER;
    return invalid ? RUN_INVALID_NUMBER : RUN_CREATED;
}

RunOutcome RunGeneration(const Settings& settings, const VariableSwitch switches[VARIABLE_COUNT],
                         const std::atomic<bool>* cancel, char* resultText, uint64_t* entries) {
    if (entries)
        *entries = 0;
    RangeVariable vars[VARIABLE_COUNT];
    RunOutcome prepared = PrepareVariables(switches, vars);
    if (prepared == RUN_DIGITS_DIFFER)
        return Finish(prepared, resultText, IDS_DIGITS_DIFFER);
    if (prepared == RUN_INVALID_NUMBER)
        return Finish(prepared, resultText, IDS_INVALID_NUMBER);

    // Every value renders with exactly its digit count, so each line's length is
    // known before the first entry: refuse a list whose lines would be cut.
    if (ExpandedLength(settings.URL, vars) > MAX_LINE ||
        ExpandedLength(settings.DownloadDestination, vars) > MAX_LINE)
        return Finish(RUN_LINE_TOO_LONG, resultText, IDS_LINE_TOO_LONG);

    if (settings.Filename[0] == '\0')
        return FileError(resultText, PathNotFoundError());

    static EntryImage image; // one run at a time; too large for a worker's stack
    static Writer w;
    BuildImage(image, settings.URL, settings.DownloadDestination, vars);
    w.used = 0;
    w.failed = false;
    w.error = 0;
    if (!OpenOutput(settings.Filename, &w.file, &w.error))
        return FileError(resultText, w.error);

    RangeVariable &a = vars[0], &b = vars[1], &c = vars[2];
    uint64_t count = 0;
    bool cancelled = false;
    // Each loop stops after reaching its end, so an end of 4294967295 does not wrap.
    for (uint32_t va = a.start;; va++) {
        PatchVariable(image, 0, va, a.digits);
        for (uint32_t vb = b.start;; vb++) {
            PatchVariable(image, 1, vb, b.digits);
            for (uint32_t vc = c.start;; vc++) {
                if (cancel && cancel->load(std::memory_order_relaxed)) {
                    cancelled = true;
                    goto done;
                }
                PatchVariable(image, 2, vc, c.digits);
                Emit(w, image);
                count++;
                if (w.failed)
                    goto done;
                if (vc == c.end)
                    break;
            }
            if (vb == b.end)
                break;
        }
        if (va == a.end)
            break;
    }
done:
    if (!cancelled)
        Flush(w);
    bool commit = !cancelled && !w.failed;
    if (!CloseOutput(&w.file, settings.Filename, commit, &w.error) && commit)
        w.failed = true;
    if (entries)
        *entries = commit ? count : 0;
    if (cancelled)
        return Finish(RUN_CANCELLED, resultText, IDS_ABORTED);
    if (w.failed)
        return FileError(resultText, w.error);
    return Finish(RUN_CREATED, resultText, IDS_CREATED);
}
