#pragma once

#include <optional>

class InstanceLock;
class MessageService;
struct AppPaths;

// The program folder's lock at the start, and what the operator is told about it: "The program
// is already running..." for a copy running here, the question (who holds it, since when, what
// to check first) before another computer's lock is taken over, and a "File Error" with the
// system's reason when the lock can be neither made nor read.
namespace InstanceLockPrompt {

// Takes the lock; the exit status when the program must end instead.
std::optional<int> take(InstanceLock& lock, const AppPaths& paths, MessageService& messages);

} // namespace InstanceLockPrompt
