#include "ScriptedMessageService.h"

MessageAnswer ScriptedMessageService::show(const QString& text, const QString& title,
                                           MessageButtons buttons, MessageIcon icon) {
    const Message message{text, title, buttons, icon};
    messages.append(message);
    if (whileOpen)
        whileOpen(message);
    if (!answers_.isEmpty())
        return answers_.dequeue();
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}
