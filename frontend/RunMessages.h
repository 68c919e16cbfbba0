// The words a front end says before and after a catalog run, the same in a
// message box and on standard error.
#pragma once

namespace speclore::frontend {

inline constexpr const char* kNoDatabaseChosen = "「処理ファイル」 を選択してください。";
inline constexpr const char* kNoTableChosen = "「対象テーブル」 を選択してください。";

// Tells in a message box that the run finished, or that an error stopped it.
void showRunOutcome(bool written);

}  // namespace speclore::frontend
