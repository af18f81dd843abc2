#include "adaptsim/report/html_report.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "adaptsim/report/svg_plot.h"

namespace {

// std::filesystem rather than mkdir(): the Windows adaptsim.exe writes reports
// too, with either kind of slash in the path.
bool MakeDirectories(const std::string& path, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(path, code);
  if (code) {
    *error = "cannot create " + path + ": " + code.message();
    return false;
  }
  return true;
}

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

// A number with or without a unit or a bracketed second number ("-40.1",
// "89 (-24.9 dB)", "-inf", "never"), or "-" for none.
bool IsNumberCell(const std::string& text) {
  if (text == "-" || text == "never" || text.empty()) return true;
  const char* c = text.c_str();
  char* end = nullptr;
  std::strtod(c, &end);
  return end != c;
}

}  // namespace

void HtmlReport::heading(const std::string& text) { body += "<h2>" + EscapeXml(text) + "</h2>\n"; }

void HtmlReport::paragraph(const std::string& text) { body += "<p>" + EscapeXml(text) + "</p>\n"; }

void HtmlReport::table(const std::vector<std::vector<std::string>>& rows, const std::vector<size_t>& flagged) {
  std::vector<bool> numeric;
  for (size_t r = 1; r < rows.size(); ++r) {
    if (numeric.size() < rows[r].size()) numeric.resize(rows[r].size(), true);
    for (size_t c = 0; c < rows[r].size(); ++c) numeric[c] = numeric[c] && IsNumberCell(rows[r][c]);
  }
  body += "<div class=\"table\"><table>\n";
  for (size_t r = 0; r < rows.size(); ++r) {
    const char* cell = r == 0 ? "th" : "td";
    const bool isFlagged = std::find(flagged.begin(), flagged.end(), r) != flagged.end();
    body += isFlagged ? "<tr class=\"flagged\">" : "<tr>";
    for (size_t c = 0; c < rows[r].size(); ++c) {
      body += std::string("<") + cell + (c < numeric.size() && numeric[c] ? " class=\"number\">" : ">") +
              EscapeXml(rows[r][c]) + "</" + cell + ">";
    }
    body += "</tr>\n";
  }
  body += "</table></div>\n";
}

void HtmlReport::figures(const std::vector<ReportFigure>& row) {
  body += "<div class=\"figures\">\n";
  for (const ReportFigure& figure : row) {
    // As wide as its image, so that the caption wraps under it.
    const size_t at = figure.svg.find(" width=\"");
    const std::string width = at == std::string::npos ? "" : figure.svg.substr(at + 8, figure.svg.find('"', at + 8) - at - 8);
    body += "<figure" + (width.empty() ? std::string() : " style=\"width:" + EscapeXml(width) + "px\"") + "><img src=\"" +
            EscapeXml(figure.fileName) + "\" alt=\"" + EscapeXml(figure.fileName) + "\">";
    if (!figure.caption.empty()) body += "<figcaption>" + EscapeXml(figure.caption) + "</figcaption>";
    body += "</figure>\n";
    files.push_back(figure);
  }
  body += "</div>\n";
}

bool HtmlReport::write(const std::string& directory, std::string* error) const {
  if (!MakeDirectories(directory, error)) return false;
  const std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapeXml(title) +
      "</title>\n<style>\nbody{font-family:sans-serif;margin:1.5em;max-width:1400px}\n"
      "div.table{overflow-x:auto}\ntable{border-collapse:collapse;margin:0.5em 0;font-size:0.92em}\n"
      "th,td{border:1px solid #bbb;padding:2px 8px;text-align:left;vertical-align:top}\n"
      ".number{text-align:right}\ntd.number{white-space:nowrap}\ntr.flagged td{background:#fdecea}\n"
      "figure{margin:0;max-width:100%}\nfigcaption{font-size:0.85em;padding:2px 4px 10px 4px}\nimg{max-width:100%}\n"
      // Catalogue names such as "Numerator Coeffs  1" keep both blanks.
      "p,th,td{white-space:pre-wrap}\n.figures{display:flex;flex-wrap:wrap;gap:8px}\n"
      "</style>\n</head>\n<body>\n<h1>" +
      EscapeXml(title) + "</h1>\n" + body + "</body>\n</html>\n";
  for (const ReportFigure& figure : files) {
    if (!WriteText(directory + "/" + figure.fileName, figure.svg, error)) return false;
  }
  return WriteText(directory + "/" + kPageName, page, error);
}
