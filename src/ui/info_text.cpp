#include "ui/info_text.h"

#include <stdio.h>

static const char kHeaderFormat[] = "%s - %s \r\r\n"
                                    "Written by: Veskaran, %s, %s\r\r\n"
                                    "for updates check: " QUORVEL_UPDATES_ADDRESS "\r\r\n"
                                    "or email to: " QUORVEL_CONTACT_ADDRESS "\r\r\n"
                                    "\r\r\n";

bool FormatInfoHeader(char* text, size_t size, const char* title, const char* version,
                      const char* date, const char* time) {
    int n = snprintf(text, size, kHeaderFormat, title, version, date, time);
    return n >= 0 && (size_t)n < size;
}

void EmitInfoPieces(char* scratch, const OptionEntry* table, uint32_t count,
                    void (*emit)(const char* piece, void* context), void* context) {
    emit(scratch, context);
    emit("This program generates a GRX file for GetRight.\r\r\n\r\r\n", context);
    emit("The following command line parameters are supported:\r\r\n", context);
    for (uint32_t i = 0; i < count; i++)
        emit(FormatOptionHelpOf(table, count, i, scratch, INFO_TEXT_SIZE), context);
}
