#include "seams/dialog.h"

namespace dlg {
namespace {

AnswerListener answerListener = nullptr;

}  // namespace

void setAnswerListener(AnswerListener listener) { answerListener = listener; }

Answer ask(BoxKind kind, const std::wstring& text, const std::wstring& caption) {
  const Answer answer = showBox(kind, text, caption);
  if (answerListener) answerListener(kind, answer);
  return answer;
}

}  // namespace dlg
