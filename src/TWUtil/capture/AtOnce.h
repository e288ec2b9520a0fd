// Registry calls under Wine spend most of their time waiting for the
// registry's server, so independent ones go faster from a few threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace twutil {

constexpr int kThreadsAtOnce = 3;

// Calls work(state, i) for every i below count from up to kThreadsAtOnce
// threads (fewer when no more can start), each with a State of its own made
// when the thread begins; the first exception is raised again once every
// thread has stopped.
template <class State, class Work>
void ForEachAtOnceWith(size_t count, Work work) {
  std::atomic<size_t> next{0};
  std::mutex failed;
  std::exception_ptr failure;
  auto run = [&] {
    try {
      State state;
      for (size_t i; (i = next.fetch_add(1)) < count;) work(state, i);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failed);
      if (!failure) failure = std::current_exception();
      next = count;
    }
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < kThreadsAtOnce && static_cast<size_t>(i) < count; ++i) {
    try {
      helpers.emplace_back(run);
    } catch (const std::system_error&) {
      break;
    }
  }
  run();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

// The same without a state: work(i).
template <class Work>
void ForEachAtOnce(size_t count, Work work) {
  struct None {};
  ForEachAtOnceWith<None>(count, [&](None&, size_t i) { work(i); });
}

}  // namespace twutil
