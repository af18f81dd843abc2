// A report page: headings, text, tables and SVG figures, written as one
// index.html beside its .svg files. It loads nothing from the network.
#pragma once

#include <string>
#include <vector>

struct ReportFigure {
  std::string fileName;  // e.g. "learning-lms.svg"
  std::string svg;
};

class HtmlReport {
 public:
  explicit HtmlReport(std::string title) : title(std::move(title)) {}

  void heading(const std::string& text);
  void paragraph(const std::string& text);
  // The first row is the header.
  void table(const std::vector<std::vector<std::string>>& rows);
  // Figures side by side, wrapping to the page's width.
  void figures(const std::vector<ReportFigure>& row);

  // Creates `directory` (and its parents) and writes index.html and the
  // figures. False with the reason.
  bool write(const std::string& directory, std::string* error) const;

 private:
  std::string title;
  std::string body;
  std::vector<ReportFigure> files;
};
