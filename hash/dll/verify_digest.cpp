#include "hash/dll/verify_digest.h"

#include "hash/core/verify_run.h"
#include "hash/windows/progress_dlg.h"
#include "hash/windows/verify_digest_dlg.h"

#include <windows.h>

namespace corvane {

namespace {

// The digest entry dialog and the workflow's boxes, which have no owner window.
class WindowsVerifyUser : public VerifyUser {
public:
  explicit WindowsVerifyUser(DigestAlgorithm algorithm) { dialog_.m_nAlgorithm = algorithm; }

  bool AskDigest(std::string& digest) override {
    // A dialog that cannot be shown ends neither with OK nor Cancel; the workflow goes on with
    // the empty digest, which matches no file.
    if (dialog_.DoModal() == IDCANCEL)
      return false;
    digest = dialog_.m_strDigest.Str();
    return true;
  }

  void Tell(VerifyMessage message) override {
    const VerifyBox box = VerifyBoxFor(message);
    ::MessageBoxA(nullptr, box.text, box.caption, box.type);
  }

private:
  CVerifyDigestDlg dialog_;
};

} // namespace

void VerifyFileDigest(const char* pathList, DigestAlgorithm algorithm) {
  WindowsVerifyUser user(algorithm);
  CProgressDlg progress;
  VerifyPathList(pathList, algorithm, progress, user);
}

} // namespace corvane
