// A report page: headings, text, tables and SVG figures, written as one
// index.html beside its .svg files. It loads nothing from the network.
#pragma once

#include <string>
#include <vector>

struct ReportFigure {
  std::string fileName;  // e.g. "learning-lms.svg"
  std::string svg;
  std::string caption;   // under the figure, as wide as it; may be empty
};

class HtmlReport {
 public:
  explicit HtmlReport(std::string title) : title(std::move(title)) {}

  void heading(const std::string& text);
  void paragraph(const std::string& text);
  // The first row is the header. Columns whose cells are all numbers (or
  // "-") are right-aligned, the others left-aligned; rows whose index is in
  // `flagged` (a token that did not converge) are tinted.
  void table(const std::vector<std::vector<std::string>>& rows, const std::vector<size_t>& flagged = {});
  // Figures side by side, wrapping to the page's width.
  void figures(const std::vector<ReportFigure>& row);

  // The page's file name in the directory.
  static constexpr const char* kPageName = "index.html";

  // Creates `directory` (and its parents) and writes kPageName and the
  // figures. False with the reason.
  bool write(const std::string& directory, std::string* error) const;

 private:
  std::string title;
  std::string body;
  std::vector<ReportFigure> files;
};
