// Runs the file part of the submission command on a program folder, for tests that inject
// faults into it or crash it at a chosen system call.
// Usage: tool_submit APP_PATH
// Prints "ok RELATIVE_NAME" or "failed DESCRIPTION"; exit code 0 on success, 1 on failure.
#include "submission/SubmissionWriter.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_submit APP_PATH\n");
        return 2;
    }
    const SubmissionWriter writer(QString::fromLocal8Bit(argv[1]));
    const SubmissionWriter::Outcome outcome =
        writer.write(QStringLiteral("123456"), QDateTime(QDate(2026, 12, 6), QTime(10, 52, 55)));
    if (!outcome.status) {
        std::printf("failed %s\n", qPrintable(outcome.status.describe()));
        return 1;
    }
    std::printf("ok %s\n", qPrintable(outcome.relativeName));
    return 0;
}
