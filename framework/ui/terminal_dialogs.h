#pragma once
// The dialog service of the command-line host: messages are printed; answers come from a preset
// list first, then from the input stream (end of input, or ten unaccepted answers in a row, close
// the box: Cancel). A preset answer that is not one of the box's buttons (nor Cancel) throws
// std::invalid_argument naming it and the buttons.
#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "framework/ui/dialogs.h"

namespace vyn {

class TTerminalDialogs : public IDialogService {
 public:
  TTerminalDialogs(std::istream& in, std::ostream& out);

  // Answers used before the input is read, in order.
  void PresetAnswers(std::vector<int> answers);
  // How many of them no box has taken yet.
  size_t PresetLeft() const { return preset_.size(); }
  // The rights prompt's answer in an unattended run (nobody to ask).
  bool RightsUnattended = true;
  // Drives modal forms (the host's script); without it a modal form is closed at once.
  std::function<void(TForm_VYN&)> ModalDriver;

  int Message(const TDialogRequest& request) override;
  bool ShowSegurancaProcesso(const std::string& screen, bool unattended) override;
  std::vector<std::string> ChooseFile(const TFileRequest& request) override;
  bool Shell(const std::string& target) override;
  void ShowInconsistencias(const TInconsistencias_VYN& list, const std::string& title) override;
  void RunModal(TForm_VYN& form) override;
  bool ChooseItems(const std::string& title, const std::vector<std::string>& items,
                   std::vector<bool>& checked) override;

 private:
  bool ReadLine(std::string& line);
  std::istream& in_;
  std::ostream& out_;
  std::deque<int> preset_;
};

}  // namespace vyn
