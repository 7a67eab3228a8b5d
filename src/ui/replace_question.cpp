#include "ui/replace_question.h"

#include "app/ui_services.h"
#include "platform/file_status.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"

namespace {

// "No" is the default answer: replacing takes a deliberate choice.
constexpr int kDefaultButtonNo = 2;

}  // namespace

bool MayReplaceFile(UiServices& services, const TextString& path) {
    if (KindOfPath(path.str()) == PathKind::kMissing) return true;
    TextString question(GetMessageText(kMsgReplaceFile));
    FillMessagePlaceholders(question, {{"ffffff", path.buffer}});
    return services.ShowMessage("", question.buffer, MessageButtons::kYesNo, MessageIcon::kQuestion,
                                kDefaultButtonNo) == MessageAnswer::kYes;
}
