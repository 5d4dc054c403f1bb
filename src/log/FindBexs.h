// The square finder: fills the locator and square columns of every row of the QSO log
// from what the row already holds.
//
// Four passes over the data rows, in this order:
//  1. a row with a WWL and no BEX gets the square of the WWL from the WWL/BEX table
//     (FindBEXfromWWL: the code, or "?");
//  2. the words of the QTH, 3. the words of the Remarks: a word that is a locator fills
//     WWL, a square code fills BEX, a locator or code marked with a leading "*" (the
//     user's own station) fills MyWWL or MyBEX; later words override earlier ones;
//  4. a row with a MyWWL and no MyBEX gets the square of the MyWWL; and a row whose WWL
//     passes 2 and 3 set gets the square of its final WWL, whatever its BEX held, so that
//     one run suffices and no row keeps a square that contradicts its locator.
// The finder works without any window; the log window passes callbacks.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/QSOLog.h"

namespace kx {

struct FindBexsHooks {
    std::function<void(int percent)> progress;  // when the percentage changes
    std::function<void(int row)> currentRow;    // passes 2 and 3, before each row
    std::function<void()> pump;                 // before each row: let window messages run
    // Square code of the first table line holding the locator, or "?" (FindBEXfromWWL by
    // default). May throw the table file's open error, which ends the finder.
    std::function<std::string(std::string_view locator)> findBexFromWwl;
    // Rows from this one to the end are left as they are (0: none): the QSOs just taken
    // from a file Kvadrix wrote, which hold what the log held.
    int keepFrom = 0;
};

// The QTH text after the rewriting steps of the finder (the text is first trimmed and put
// into capitals): "," becomes a blank; "/", "<" and ">" become " *"; "-" goes; a lone
// "*" not preceded by a blank gets one; "_" becomes a blank.
std::string RewriteQthText(std::string_view qth);

// The Remarks text after the rewriting steps: as the QTH's, and before them "=" becomes a
// blank and "IS " becomes "*"; after them "|" and "." become blanks.
std::string RewriteRemarksText(std::string_view remarks);

// The words of a text: split at blanks and control characters (a run counts as one); a
// word that begins with a double quote runs to the closing quote, which is removed, and may
// hold blanks; the text right after the closing quote begins the next word.
std::vector<std::string> SplitFinderWords(std::string_view text);

// Runs the four passes over rows 1..N of the log. Progress before row r of pass p
// (p = 0..3) is r * 25 / N + 25 * p; 100 at the end.
void FindBEXs(QSOLog& log, const FindBexsHooks& hooks = {});

}  // namespace kx
