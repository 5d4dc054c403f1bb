// The six windows of the program, one instance each, created at start in this order
// (CreateForms) and living until the program ends. Windows reach one another through
// these pointers: Form0->..., Form3->show(), Form5->SetPercent(...).
#pragma once

#include "app/KXInfo.h"
#include "app/KXStart.h"
#include "app/KXWait.h"
#include "award/KXAppl.h"
#include "award/KXMap.h"
#include "calc/KXCalc.h"
#include "log/KXLog.h"

extern TForm0* Form0;  // start window, the main window
extern TForm1* Form1;  // info window
extern TForm2* Form2;  // square calculator
extern TForm3* Form3;  // QSO log
extern TForm4* Form4;  // award application
extern TForm5* Form5;  // progress window
extern TForm6* Form6;  // BEX map

namespace kx {

// Creates the windows, Form0 first, none shown. Tests call it too.
void CreateForms();

// Destroys them in reverse order and sets the pointers back to null.
void DestroyForms();

}  // namespace kx
