#include "adaptsim/lab/trial_pool.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>

#include "adaptsim/lab/byte_stream.h"

namespace {

constexpr char kTick = 'T';
constexpr char kResults = 'R';

TrialTotals* FindOrAdd(std::vector<TrialTotals>* totals, int token, int condition) {
  for (TrialTotals& t : *totals) {
    if (t.token == token && t.condition == condition) return &t;
  }
  totals->emplace_back();
  totals->back().token = token;
  totals->back().condition = condition;
  return &totals->back();
}

void Encode(const std::vector<TrialTotals>& totals, ByteWriter* out) {
  out->putInt(static_cast<int64_t>(totals.size()));
  for (const TrialTotals& t : totals) {
    out->putInt(t.token);
    out->putInt(t.condition);
    out->putInt(t.runs);
    out->putInt(t.status);
    out->putString(t.message);
    out->putDoubles(t.squaredErrorSum);
    out->putDouble(t.misalignmentSum);
    out->putInt(t.divergedRuns);
    out->putInt(t.unsettledRuns);
    out->putDouble(t.seconds);
    out->putDoubles(t.secondsPerSample);
    out->putInt(t.samples);
    out->putDoubles(t.coefficients);
    out->putInt(static_cast<int64_t>(t.coefficientsRealisation));
    out->putInt(t.singular ? 1 : 0);
  }
}

bool Decode(const std::string& bytes, std::vector<TrialTotals>* totals) {
  ByteReader in(bytes);
  int64_t count = 0;
  if (!in.getInt(&count) || count < 0) return false;
  for (int64_t k = 0; k < count; ++k) {
    TrialTotals t;
    int64_t token, condition, status, realisation, singular;
    if (!in.getInt(&token) || !in.getInt(&condition) || !in.getInt(&t.runs) || !in.getInt(&status) ||
        !in.getString(&t.message) || !in.getDoubles(&t.squaredErrorSum) || !in.getDouble(&t.misalignmentSum) ||
        !in.getInt(&t.divergedRuns) || !in.getInt(&t.unsettledRuns) || !in.getDouble(&t.seconds) || !in.getDoubles(&t.secondsPerSample) || !in.getInt(&t.samples) || !in.getDoubles(&t.coefficients) ||
        !in.getInt(&realisation) || !in.getInt(&singular)) {
      return false;
    }
    t.token = static_cast<int>(token);
    t.condition = static_cast<int>(condition);
    t.status = static_cast<int32_t>(status);
    t.coefficientsRealisation = static_cast<uint64_t>(realisation);
    t.singular = singular != 0;
    totals->push_back(std::move(t));
  }
  return in.atEnd();
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

[[noreturn]] void WorkerMain(int fd, size_t worker, size_t workers, const std::vector<TrialJob>& jobs,
                             const TrialFunction& work) {
  std::vector<TrialTotals> totals;
  for (size_t j = worker; j < jobs.size(); j += workers) {
    const TrialJob& job = jobs[j];
    FindOrAdd(&totals, job.token, job.condition)->add(work(job), job.realisation);
    if (!WriteAll(fd, &kTick, 1)) _exit(1);
  }
  ByteWriter payload;
  Encode(totals, &payload);
  const int64_t size = static_cast<int64_t>(payload.bytes().size());
  const bool ok = WriteAll(fd, &kResults, 1) &&
                  WriteAll(fd, reinterpret_cast<const char*>(&size), sizeof size) &&
                  WriteAll(fd, payload.bytes().data(), payload.bytes().size());
  _exit(ok ? 0 : 1);
}

struct Worker {
  pid_t pid = -1;
  int fd = -1;
  std::string buffer;
  bool reported = false;
  std::vector<TrialTotals> totals;
};

// Consumes the complete messages at the front of the worker's buffer.
void Parse(Worker* worker, int64_t* done) {
  for (;;) {
    std::string& b = worker->buffer;
    if (b.empty()) return;
    if (b[0] == kTick) {
      ++*done;
      b.erase(0, 1);
      continue;
    }
    int64_t size = 0;
    if (b[0] != kResults || b.size() < 1 + sizeof size) return;
    std::memcpy(&size, b.data() + 1, sizeof size);
    if (size < 0 || b.size() - 1 - sizeof size < static_cast<uint64_t>(size)) return;
    worker->reported = Decode(b.substr(1 + sizeof size, static_cast<size_t>(size)), &worker->totals);
    b.clear();
    return;
  }
}

std::string DeathReason(int status) {
  if (WIFSIGNALED(status)) {
    return std::string("the worker process was ended by signal ") + std::to_string(WTERMSIG(status)) + " (" +
           strsignal(WTERMSIG(status)) + ")";
  }
  return "the worker process failed before reporting (exit status " +
         std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
}

}  // namespace

void TrialTotals::add(const TrialOutcome& outcome, uint64_t realisation) {
  ++runs;
  if (outcome.status != 0) {
    if (status == 0) {
      status = outcome.status;
      message = outcome.message;
    }
    return;
  }
  if (squaredErrorSum.size() < outcome.squaredError.size()) squaredErrorSum.resize(outcome.squaredError.size(), 0.0);
  for (size_t n = 0; n < outcome.squaredError.size(); ++n) squaredErrorSum[n] += outcome.squaredError[n];
  misalignmentSum += outcome.misalignment;
  divergedRuns += outcome.diverged ? 1 : 0;
  unsettledRuns += outcome.unsettled ? 1 : 0;
  seconds += outcome.seconds;
  if (!outcome.squaredError.empty()) {
    secondsPerSample.push_back(outcome.seconds / static_cast<double>(outcome.squaredError.size()));
  }
  samples += static_cast<int64_t>(outcome.squaredError.size());
  if (samples == static_cast<int64_t>(outcome.squaredError.size()) || realisation < coefficientsRealisation) {
    coefficients = outcome.coefficients;
    coefficientsRealisation = realisation;
    singular = outcome.singular;
  }
}

void TrialTotals::merge(const TrialTotals& other) {
  const bool hadData = samples > 0;
  runs += other.runs;
  if (status == 0 && other.status != 0) {
    status = other.status;
    message = other.message;
  }
  if (squaredErrorSum.size() < other.squaredErrorSum.size()) squaredErrorSum.resize(other.squaredErrorSum.size(), 0.0);
  for (size_t n = 0; n < other.squaredErrorSum.size(); ++n) squaredErrorSum[n] += other.squaredErrorSum[n];
  misalignmentSum += other.misalignmentSum;
  divergedRuns += other.divergedRuns;
  unsettledRuns += other.unsettledRuns;
  seconds += other.seconds;
  secondsPerSample.insert(secondsPerSample.end(), other.secondsPerSample.begin(), other.secondsPerSample.end());
  samples += other.samples;
  if (other.samples > 0 && (!hadData || other.coefficientsRealisation < coefficientsRealisation)) {
    coefficients = other.coefficients;
    coefficientsRealisation = other.coefficientsRealisation;
    singular = other.singular;
  }
}

double MedianMicrosecondsPerSample(const std::vector<const TrialTotals*>& totals) {
  std::vector<double> times;
  for (const TrialTotals* t : totals) times.insert(times.end(), t->secondsPerSample.begin(), t->secondsPerSample.end());
  if (static_cast<int64_t>(times.size()) < kTimedRuns) return std::numeric_limits<double>::quiet_NaN();
  std::sort(times.begin(), times.end());
  const size_t half = times.size() / 2;
  const double median = times.size() % 2 == 1 ? times[half] : (times[half - 1] + times[half]) / 2.0;
  return median * 1e6;
}

int AvailableProcessors() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

const TrialTotals* FindTotals(const std::vector<TrialTotals>& totals, int token, int condition) {
  for (const TrialTotals& t : totals) {
    if (t.token == token && t.condition == condition) return &t;
  }
  return nullptr;
}

bool RunTrialJobs(const std::vector<TrialJob>& jobs, int workerCount, const TrialFunction& work,
                  ProgressBar* progress, std::vector<TrialTotals>* totals, std::string* error) {
  totals->clear();
  error->clear();
  // Every key, in the order of the jobs, so the result's order never depends
  // on which worker finished first.
  for (const TrialJob& job : jobs) FindOrAdd(totals, job.token, job.condition);
  const size_t count = std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(std::max(workerCount, 1)), jobs.size()));
  if (jobs.empty()) return true;

  std::cout.flush();
  std::cerr.flush();
  std::vector<Worker> workers(count);
  for (size_t w = 0; w < count; ++w) {
    int fds[2];
    if (pipe(fds) != 0) {
      *error = std::string("cannot create a pipe for a worker: ") + std::strerror(errno);
      break;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      for (size_t k = 0; k < w; ++k) close(workers[k].fd);
      WorkerMain(fds[1], w, count, jobs, work);
    }
    close(fds[1]);
    if (pid < 0) {
      close(fds[0]);
      *error = std::string("cannot start a worker process: ") + std::strerror(errno);
      break;
    }
    workers[w].pid = pid;
    workers[w].fd = fds[0];
  }
  if (!error->empty()) {
    // Stop what was started: the jobs are split by the worker count.
    for (Worker& w : workers) {
      if (w.pid > 0) {
        kill(w.pid, SIGTERM);
        close(w.fd);
        waitpid(w.pid, nullptr, 0);
      }
    }
    return false;
  }

  int64_t done = 0;
  std::vector<pollfd> polls;
  for (;;) {
    polls.clear();
    for (Worker& w : workers) {
      if (w.fd >= 0) polls.push_back({w.fd, POLLIN, 0});
    }
    if (polls.empty()) break;
    if (poll(polls.data(), polls.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (Worker& w : workers) {
      if (w.fd < 0) continue;
      for (const pollfd& p : polls) {
        if (p.fd != w.fd || p.revents == 0) continue;
        char chunk[65536];
        const ssize_t got = read(w.fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
          close(w.fd);
          w.fd = -1;
        } else {
          w.buffer.append(chunk, static_cast<size_t>(got));
          Parse(&w, &done);
        }
      }
    }
    if (progress != nullptr) progress->update(done);
  }

  for (size_t w = 0; w < count; ++w) {
    int status = 0;
    while (waitpid(workers[w].pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (workers[w].reported) {
      for (const TrialTotals& t : workers[w].totals) FindOrAdd(totals, t.token, t.condition)->merge(t);
      continue;
    }
    // Every key this worker had a job for is incomplete.
    const std::string reason = DeathReason(status);
    for (size_t j = w; j < jobs.size(); j += count) {
      TrialTotals* t = FindOrAdd(totals, jobs[j].token, jobs[j].condition);
      t->status = kWorkerLost;
      t->message = reason;
    }
  }
  if (progress != nullptr) progress->finish();
  return true;
}
