#pragma once
// The main dialog as a terminal sees it (the dlg:: seam of spindra-update): controls are
// kept in memory for the program to print, message boxes are printed and their
// questions asked on the terminal or answered by options, and the progress window is a
// progress bar on stderr.
#include <cstdio>
#include <string>
#include <vector>

#include "seams/dialog.h"

namespace term {

struct Answers {
  bool confirm = false;           // the question before the update (--yes)
  bool allowSameVersion = false;  // overwriting the same or a newer version (--allow-same-version)
};

void setAnswers(const Answers& answers);
// Where a replay takes every box's answer from instead of the options or the user; null for none.
using AnswerSource = dlg::Answer (*)(dlg::BoxKind kind);
void setAnswerSource(AnswerSource source);
// Lines shown right before the question that confirms the update, when the terminal asks
// it: what the update is about to change.
void setConfirmDetails(const std::string& details);
// Where message boxes are printed: stdout, or stderr when stdout carries JSON.
void setBoxStream(std::FILE* stream);
// The fixed pauses the update still makes, as last told. Safe to ask from any thread.
std::uint32_t pausesAheadMs();

// Whether stderr is a terminal that takes escape sequences, so the progress bar is redrawn in
// place; otherwise (a file, a pipe, TERM=dumb or unset) it prints plain lines.
bool redrawsInPlace();

struct ShownBox {
  std::wstring text;
  std::wstring caption;
  dlg::BoxKind kind = dlg::BoxKind::UpdateFailed;
  dlg::Answer answer = dlg::Answer::GoOn;
};
const std::vector<ShownBox>& boxes();

}  // namespace term
