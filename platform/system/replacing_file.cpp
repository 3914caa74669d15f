#include "platform/system/replacing_file.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace brackwater {

// Writes a large block at a time on a second thread, so that writing one block overlaps the
// making of the next: for a large export, writing is a good part of the whole time. A failure
// comes back from the next call.
class ReplacingFile::BlockWriter {
 public:
  explicit BlockWriter(Handle handle) : handle_(handle) {}
  ~BlockWriter() { Stop(); }

  std::string Write(std::string_view bytes) {
    filling_.append(bytes);
    return filling_.size() < kBlockSize ? std::string() : Hand();
  }

  // Writes what is left and waits until everything is written.
  std::string Finish() {
    if (!thread_.joinable()) return WriteAll(handle_, filling_);
    std::string error = Hand();
    Stop();
    return error.empty() ? error_ : error;
  }

  // Waits for the block being written, if any; what was not handed on is dropped.
  void Stop() {
    if (!thread_.joinable()) return;
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  std::string Hand() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_; });
    if (!error_.empty()) return error_;
    if (filling_.empty()) return {};
    std::swap(filling_, pending_);
    full_ = true;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    lock.unlock();
    changed_.notify_all();
    filling_.clear();
    return {};
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return full_ || stopping_; });
      if (!full_) return;
      // The caller leaves `pending_` alone while it is full.
      lock.unlock();
      std::string error = WriteAll(handle_, pending_);
      lock.lock();
      pending_.clear();
      if (!error.empty()) error_ = std::move(error);
      full_ = false;
      changed_.notify_all();
    }
  }

  const Handle handle_;
  std::string filling_;  // the caller's
  std::string pending_;  // the writer's while `full_`
  std::mutex mutex_;
  std::condition_variable changed_;
  bool full_ = false;
  bool stopping_ = false;
  std::string error_;
  std::thread thread_;
};

ReplacingFile::ReplacingFile(std::filesystem::path destination)
    : destination_(std::move(destination)) {
  Open();
  writer_ = std::make_unique<BlockWriter>(handle_);
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Write(std::string_view bytes) {
  if (std::string error = writer_->Write(bytes); !error.empty()) Fail(std::move(error));
}

void ReplacingFile::Commit() {
  if (std::string error = writer_->Finish(); !error.empty()) Fail(std::move(error));
  PutInPlace();
}

void ReplacingFile::Fail(std::string reason) {
  Discard();
  throw FileError(destination_, std::move(reason));
}

void ReplacingFile::Discard() {
  if (writer_ != nullptr) writer_->Stop();
  Release();
}

}  // namespace brackwater
