#include "adaptsim/report/html_report.h"

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

}  // namespace

void HtmlReport::heading(const std::string& text) { body += "<h2>" + EscapeXml(text) + "</h2>\n"; }

void HtmlReport::paragraph(const std::string& text) { body += "<p>" + EscapeXml(text) + "</p>\n"; }

void HtmlReport::table(const std::vector<std::vector<std::string>>& rows) {
  body += "<table>\n";
  for (size_t r = 0; r < rows.size(); ++r) {
    const char* cell = r == 0 ? "th" : "td";
    body += "<tr>";
    for (const std::string& text : rows[r]) body += std::string("<") + cell + ">" + EscapeXml(text) + "</" + cell + ">";
    body += "</tr>\n";
  }
  body += "</table>\n";
}

void HtmlReport::figures(const std::vector<ReportFigure>& row) {
  body += "<div class=\"figures\">\n";
  for (const ReportFigure& figure : row) {
    body += "<img src=\"" + EscapeXml(figure.fileName) + "\" alt=\"" + EscapeXml(figure.fileName) + "\">\n";
    files.push_back(figure);
  }
  body += "</div>\n";
}

bool HtmlReport::write(const std::string& directory, std::string* error) const {
  if (!MakeDirectories(directory, error)) return false;
  const std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapeXml(title) +
      "</title>\n<style>\nbody{font-family:sans-serif;margin:1.5em;max-width:1300px}\n"
      "table{border-collapse:collapse;margin:0.5em 0}\nth,td{border:1px solid #bbb;padding:2px 8px;text-align:right}\n"
      "th:first-child,td:first-child{text-align:left}\n"
      // Catalogue names such as "Numerator Coeffs  1" keep both blanks.
      "p,th,td{white-space:pre-wrap}\n.figures{display:flex;flex-wrap:wrap;gap:8px}\n"
      "</style>\n</head>\n<body>\n<h1>" +
      EscapeXml(title) + "</h1>\n" + body + "</body>\n</html>\n";
  for (const ReportFigure& figure : files) {
    if (!WriteText(directory + "/" + figure.fileName, figure.svg, error)) return false;
  }
  return WriteText(directory + "/index.html", page, error);
}
