#include "tests/gui/ShownDialog.h"

#include "host/services/PasswordEncoding.h"

namespace velmora::test {

ShownDialog::ShownDialog(const EditionDialog& edition, DWORD dpi) : display_(dpi) {
  SeeDisplayPixels();
  db_.AddUserWithPassword("ctxuser", "old");
  db_.AddUser("md5user", host::Md5Hex("old"));
  app_.emplace(std::vector<std::string>{VELMORA_HOST_PROGRAM, "--edition", edition.edition, "--db", db_.Path(),
                                        "--user", edition.user},
               OutPath());
  dialog_ = app_->WaitForDialog(edition.caption);
  if (dialog_ != nullptr) WaitUntilPainted(dialog_);
}

std::string ShownDialog::Output() const { return ReadOutput(OutPath()); }

SIZE ShownDialog::ClientSize() const {
  RECT r{};
  GetClientRect(dialog_, &r);
  return {r.right, r.bottom};
}

std::vector<PlacedWindow> ShownDialog::Windows() const {
  std::vector<PlacedWindow> placed;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    placed.push_back({child, name, TextOf(child), r});
  }
  return placed;
}

RECT ShownDialog::OnScreen(const RECT& client) const {
  RECT r = client;
  MapWindowPoints(dialog_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace velmora::test
