// The square finder: rewriting of the QTH and Remarks texts, words and the four passes.
#include "log/FindBexs.h"

#include <algorithm>
#include <utility>

#include "platform/Cp1257.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

namespace kx {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
    }
    if (pos == 0) return;
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

// A "*" that no blank precedes anywhere gets one blank before the first "*".
void SpaceStar(std::string& text) {
    const std::size_t star = text.find('*');
    if (star != std::string::npos && text.find(" *") == std::string::npos)
        text.insert(star, 1, ' ');
}

void MarkOwnStation(std::string& text) {
    ReplaceAll(text, ",", " ");
    ReplaceAll(text, "/", " *");
    ReplaceAll(text, "<", " *");
    ReplaceAll(text, ">", " *");
    ReplaceAll(text, "-", "");
    SpaceStar(text);
}

// Takes a word into the row; true when it set the row's WWL.
bool HandleWord(QSOLog& log, int row, const std::string& w) {
    const bool locator = fTestWWL(w);
    if (locator) log.SetCell(row, colWWL, w);
    if (fTestBEX(w)) log.SetCell(row, colBEX, w);
    if (fTestMyWWL(w)) log.SetCell(row, colMyWWL, std::string_view(w).substr(1, 6));
    if (fTestMyBEX(w)) log.SetCell(row, colMyBEX, std::string_view(w).substr(1, 3));
    return locator;
}

}  // namespace

std::string RewriteQthText(std::string_view qth) {
    std::string text = UpperCp1257(TrimField(qth));
    MarkOwnStation(text);
    ReplaceAll(text, "_", " ");
    return text;
}

std::string RewriteRemarksText(std::string_view remarks) {
    std::string text = UpperCp1257(TrimField(remarks));
    ReplaceAll(text, "=", " ");
    ReplaceAll(text, "IS ", "*");
    MarkOwnStation(text);
    ReplaceAll(text, "|", " ");
    ReplaceAll(text, ".", " ");
    ReplaceAll(text, "_", " ");
    return text;
}

std::vector<std::string> SplitFinderWords(std::string_view text) {
    std::vector<std::string> words;
    const std::size_t n = text.size();
    auto blank = [&](std::size_t i) { return static_cast<unsigned char>(text[i]) <= ' '; };
    std::size_t i = 0;
    while (i < n) {
        while (i < n && blank(i)) ++i;
        if (i >= n) break;
        std::string word;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {  // a doubled quote stands for one
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text[i++];
            }
            // The closing quote ends the word; what follows it begins the next one.
            words.push_back(std::move(word));
            continue;
        }
        while (i < n && !blank(i)) word += text[i++];
        words.push_back(std::move(word));
    }
    return words;
}

void FindBEXs(QSOLog& log, const FindBexsHooks& hooks) {
    const TableBatch tables;  // one look at the table files for the whole run
    const int rows = log.DataRowCount();
    const int n = hooks.keepFrom > 0 ? std::min(rows, hooks.keepFrom - 1) : rows;
    int shown = -1;
    auto step = [&](int pass, int row) {
        const int percent = static_cast<int>(static_cast<long long>(row) * 25 / n) + 25 * pass;
        if (percent != shown) {
            shown = percent;
            if (hooks.progress) hooks.progress(percent);
        }
        if (hooks.pump) hooks.pump();
    };
    auto lookup = [&](std::string_view locator) {
        return hooks.findBexFromWwl ? hooks.findBexFromWwl(locator) : FindBEXfromWWL(locator);
    };

    for (int r = 1; r <= n; ++r) {  // pass 1: worked station's square from its locator
        step(0, r);
        if (log.Field(r, colBEX).empty() && !log.Field(r, colWWL).empty())
            log.SetCell(r, colBEX, lookup(log.Field(r, colWWL)));
    }
    // Rows whose WWL a word of their texts set: their BEX becomes the square of the final
    // WWL, whatever pass 1 or a square word gave, so that a row never keeps a square that
    // contradicts its locator and needs no second run to get one.
    std::vector<bool> locatorFound(static_cast<std::size_t>(n) + 1, false);
    for (int pass = 1; pass <= 2; ++pass) {  // passes 2 and 3: words of the QTH, the Remarks
        for (int r = 1; r <= n; ++r) {
            step(pass, r);
            if (hooks.currentRow) hooks.currentRow(r);
            const std::string text = pass == 1 ? RewriteQthText(log.Cell(r, colQTH))
                                               : RewriteRemarksText(log.Cell(r, colRemarks));
            if (text.empty()) continue;
            for (const std::string& w : SplitFinderWords(text))
                if (HandleWord(log, r, w)) locatorFound[static_cast<std::size_t>(r)] = true;
        }
    }
    for (int r = 1; r <= n; ++r) {  // pass 4: own square from own locator
        step(3, r);
        if (locatorFound[static_cast<std::size_t>(r)])
            log.SetCell(r, colBEX, lookup(log.Field(r, colWWL)));
        if (log.Field(r, colMyBEX).empty() && !log.Field(r, colMyWWL).empty())
            log.SetCell(r, colMyBEX, lookup(log.Field(r, colMyWWL)));
    }
    if (hooks.progress && shown != 100) hooks.progress(100);
}

}  // namespace kx
