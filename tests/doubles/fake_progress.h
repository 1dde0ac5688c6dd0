#pragma once
// Plays the progress window and the user for the run loops: records every call in order, raises
// the abort request at chosen pumps and answers the abort question from a script.

#include "hash/core/progress_view.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

class FakeProgress : public ProgressView {
public:
  std::vector<std::string> events;
  std::deque<bool> abortAnswers;        // answers to "Are you sure you wish to abort?"
  std::function<void(int pump)> onPump; // called with the 1-based number of the pump
  bool abortRequested = true;           // creation must clear it
  int pumps = 0;

  void Create() override {
    abortRequested = false;
    events.push_back("create");
  }
  void SetTitle(const char* text) override { events.push_back(std::string("title:") + text); }
  void Show() override { events.push_back("show"); }
  void SetFileName(const char* text) override { events.push_back(std::string("name:") + text); }
  void SetFileSize(const char* text) override { events.push_back(std::string("size:") + text); }
  void SetStatus(const char* text) override { events.push_back(std::string("status:") + text); }
  void SetBytes(const char* text) override { events.push_back(std::string("bytes:") + text); }
  void SetRange(int lower, int upper) override {
    events.push_back("range:" + std::to_string(lower) + "-" + std::to_string(upper));
  }
  void SetPosition(int position) override { events.push_back("pos:" + std::to_string(position)); }
  void PumpMessages() override {
    ++pumps;
    events.push_back("pump");
    if (onPump)
      onPump(pumps);
  }
  bool AbortRequested() const override { return abortRequested; }
  void ClearAbortRequest() override { abortRequested = false; }
  bool ConfirmAbort() override {
    events.push_back("confirm");
    bool yes = false;
    if (!abortAnswers.empty()) {
      yes = abortAnswers.front();
      abortAnswers.pop_front();
    }
    return yes;
  }
  void Destroy() override { events.push_back("destroy"); }
  void Paint() override { events.push_back("paint"); }

  // The events as one line, separated by " | ".
  std::string Sequence() const {
    std::string line;
    for (const std::string& e : events)
      line += (line.empty() ? "" : " | ") + e;
    return line;
  }

  std::vector<std::string> EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& e : events)
      if (e.compare(0, prefix.size(), prefix) == 0)
        found.push_back(e.substr(prefix.size()));
    return found;
  }
};

} // namespace corvane
