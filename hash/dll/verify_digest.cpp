#include "hash/dll/verify_digest.h"

#include "hash/core/verify_run.h"
#include "hash/dll/module_state.h"
#include "hash/dll/progress_dlg.h"
#include "hash/dll/verify_digest_dlg.h"

#include <windows.h>

namespace {

// The digest entry dialog and the workflow's boxes, which have no owner window.
class WindowsVerifyUser : public VerifyUser {
public:
  explicit WindowsVerifyUser(int algorithm) { m_dialog.m_nAlgorithm = algorithm; }

  bool AskDigest(std::string& digest) override {
    // A dialog that cannot be shown ends neither with OK nor Cancel; the workflow goes on with
    // the empty digest, which matches no file.
    if (m_dialog.DoModal() == IDCANCEL)
      return false;
    digest = m_dialog.m_strDigest.Str();
    return true;
  }

  void Tell(VerifyMessage message) override {
    const VerifyBox box = VerifyBoxFor(message);
    ::MessageBoxA(nullptr, box.text, box.caption, box.type);
  }

private:
  CVerifyDigestDlg m_dialog;
};

} // namespace

void VerifyFileDigest(const char* pathList, int algorithm) {
  HashModuleScope moduleScope;
  WindowsVerifyUser user(algorithm);
  CProgressDlg progress;
  VerifyPathList(pathList, algorithm == 0 ? DigestAlgorithm::Md5 : DigestAlgorithm::Sha1, progress,
                 user);
}
