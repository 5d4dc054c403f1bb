// Qt's own texts (dialog buttons, the file dialog, the fields' context menus) in the
// program's language: Qt's Lithuanian catalogue is installed while kx::Language is "LT"
// and removed otherwise. Called at start and at every language switch.
#pragma once

namespace kx {

// Installs or removes Qt's Lithuanian catalogue for kx::Language. False when Lithuanian
// is wanted but the catalogue is not installed on the system (Qt's texts stay English;
// the program's own texts and the message-box buttons are Lithuanian all the same).
bool ApplyQtLanguage();

}  // namespace kx
