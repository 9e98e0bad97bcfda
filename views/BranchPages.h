#pragma once
// The pages of a branch of notes: each note from a new page, its title as a
// heading on its first page, and on every page a footer with the note's
// title and the page's number in the job. Notes are loaded and measured only
// as far as the pages asked for, so a preview shows its first page at once.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "content/BranchNotes.h"
#include "views/PagePrinting.h"

namespace vellora {

class BranchPages : public PageProvider {
 public:
  BranchPages(const BranchNotes& notes, const PrinterSettings& printer, std::string documentName);
  ~BranchPages() override;
  BranchPages(const BranchPages&) = delete;
  BranchPages& operator=(const BranchPages&) = delete;

  std::string DocumentName() const override { return name_; }
  bool IsValidPage(int index) override;
  int PageCount() override;
  bool MeasureMore() override;
  bool PrintPage(int index, HDC dc) override;

  // The note that page index belongs to (-1: no such page).
  int NoteOfPage(int index);
  // How many notes have all their pages counted so far.
  size_t NotesCounted() const { return counts_.size(); }
  // The footer of a page of a note: "Title — page N", N counted from 1 in the job.
  static std::wstring FooterText(const std::string& title, int index);

 private:
  struct Loaded;
  // The note with its text in a hidden control, loaded when not (the last
  // two used are kept).
  Loaded* Load(size_t note);
  // The note and its page of a job page; false when there is no such page.
  bool Locate(int index, size_t& note, int& local);
  int FirstPageOf(size_t note) const;
  void DrawHeading(HDC dc, const std::string& title, bool unreadable) const;
  void DrawFooter(HDC dc, const std::string& title, int index) const;

  const BranchNotes& notes_;
  const PrinterSettings& printer_;
  std::string name_;
  PageFrame frame_;         // in twips, the origin at the printable area's corner
  LONG printableBottom_ = 0;  // where the printer can print no more, in twips
  TextPageSpace space_;
  LONG headingTwips_ = 0, footerTwips_ = 0;
  std::vector<int> counts_;  // the pages of each note counted so far
  std::vector<std::unique_ptr<Loaded>> loaded_;  // the last used first
};

}  // namespace vellora
