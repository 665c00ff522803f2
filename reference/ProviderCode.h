#pragma once

#include "storage/FileStatus.h"

#include <QString>

// The office's provider code: whether one is set, what an answer of the provider-code dialog
// does to it, and its file (bytes 1 to 6 hold the code; anything after them is never read nor
// changed).

// The sentence that follows every provider-code error message.
inline constexpr char ProviderCodeAdvice[] =
    "Please use the Provider Code assigned to the you by the State of Calmoria.";
inline constexpr char ProviderCodeErrorTitle[] = "Provider Code Error";

// The code stored when none is set.
inline constexpr char UnsetProviderCode[] = "      ";

namespace ProviderCode {

// "Provider Code has not been set." CR LF ProviderCodeAdvice.
QString notSetMessage();
// "Provider Code must be 6 digits." CR LF ProviderCodeAdvice.
QString lengthMessage();

// A code is set only when, without its trailing blanks, it is ASCII digits only and not all
// zeros ("000123" is set). Anything else is not: blanks, an empty text, a leading blank, a sign,
// a point, "/", letters, control characters or bytes above 0x7F. The code goes into every record
// and into the submission file's name, so nothing else may pass.
bool isSet(const QString& code);

// The code padded with blanks (or cut) to exactly six characters.
QString sixCharacterCode(const QString& code);

struct Decision {
    // The new CurrentProviderCode, always six characters; written back to the file in any case.
    QString newCode;
    // Empty when no message is shown; otherwise shown with ProviderCodeErrorTitle, OK, no icon.
    QString message;
    bool showMessage() const { return !message.isEmpty(); }
};

// What OK in the provider-code dialog does with its entry (the box's raw value) while currentCode
// is in force: a set entry of exactly six characters becomes the code; a set entry of another
// length keeps the code with the length message; an entry that is not set keeps a set code
// silently and otherwise gives six blanks with the not-set message.
Decision decide(const QString& enteredCode, const QString& currentCode);

// What Cancel (or closing the dialog otherwise) does: a code in force stays without a message;
// without one the code becomes six blanks and the not-set message is shown. Decided on the code
// itself rather than on the trimmed text of the read-only box, so that a stored code that is not
// six digits long is never reported as a length error when the operator merely cancels.
Decision decideOnCancel(const QString& currentCode);

// Reads the code: creates the file empty (0600) when it is missing, then takes its first six
// bytes as Windows-1252 text padded with blanks to six characters. On failure code is six blanks.
FileStatus readFile(const QString& path, QString& code);

// Writes the code (made six characters) as bytes 1 to 6 in place and flushes it to the disk; any
// bytes after the sixth stay as they are. Creates the file (0600) when it is missing.
FileStatus writeFile(const QString& path, const QString& code);

} // namespace ProviderCode
