#pragma once

#include "storage/FileStatus.h"

#include <QString>

// The office's provider code: whether one is set, what an answer of the provider-code dialog
// does to it, and its file (record 1 of 6-byte records: bytes 1 to 6 hold the code, anything
// after them is never read nor changed).

// The sentence that follows every provider-code error message.
inline constexpr char ProviderCodeAdvice[] =
    "Please use the Provider Code assigned to the you by the State of Calmoria.";
inline constexpr char ProviderCodeErrorTitle[] = "Provider Code Error";

// The code stored when none is set.
inline constexpr char UnsetProviderCode[] = "      ";

// "Provider Code has not been set." CR LF ProviderCodeAdvice.
QString providerCodeNotSetMessage();
// "Provider Code must be 6 digits." CR LF ProviderCodeAdvice.
QString providerCodeLengthMessage();

// A code is set when its numeric value is not 0: six blanks, "000000", an empty text or a text
// without a leading number are not set; "000123" is.
bool isProviderCodeSet(const QString& code);

// The code padded with blanks (or cut) to exactly six characters.
QString sixCharacterCode(const QString& code);

struct ProviderCodeDecision {
    // The new CurrentProviderCode, always six characters; written back to the file in any case.
    QString newCode;
    // Empty when no message is shown; otherwise shown with ProviderCodeErrorTitle, OK, no icon.
    QString message;
    bool showMessage() const { return !message.isEmpty(); }
};

// What OK in the provider-code dialog does, given its entry (the box's raw value) and the code in
// force:
//  - a value not 0 and exactly six characters (000123 included): the entry becomes the code;
//  - a value not 0 but another length: the code stays, the length message is shown;
//  - nothing or only zeros while no code is set: the code becomes six blanks, the not-set message;
//  - nothing or only zeros while a code is set: the code stays, no message.
ProviderCodeDecision decideProviderCode(const QString& enteredCode, const QString& currentCode);

// What Cancel (or closing the dialog otherwise) does: a code in force stays without a message;
// without one the code becomes six blanks and the not-set message is shown. Decided on the code
// itself rather than on the trimmed text of the read-only box, so that a stored code that is not
// six digits long is never reported as a length error when the operator merely cancels.
ProviderCodeDecision decideProviderCodeOnCancel(const QString& currentCode);

// Reads the code: creates the file empty (0600) when it is missing, then takes its first six
// bytes as Windows-1252 text padded with blanks to six characters. On failure code is six blanks.
FileStatus readProviderCodeFile(const QString& path, QString& code);

// Writes the code (made six characters) as bytes 1 to 6 in place and flushes it to the disk; any
// bytes after the sixth stay as they are. Creates the file (0600) when it is missing.
FileStatus writeProviderCodeFile(const QString& path, const QString& code);
