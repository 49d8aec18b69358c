#include "testing/fake_http_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "framework/core/text.h"

namespace vyn {

bool TFakeRequest::HasHeader(const std::string& name) const {
  return std::any_of(Headers.begin(), Headers.end(), [&](const auto& h) { return SameText(h.first, name); });
}

std::string TFakeRequest::Header(const std::string& name) const {
  for (const auto& [n, v] : Headers) {
    if (SameText(n, name)) return v;
  }
  return {};
}

std::string TFakeRequest::Param(const std::string& name) const {
  httplib::Params params;
  httplib::detail::parse_query_text(Query, params);
  auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

struct TFakeHttpServer::Impl {
  httplib::Server server;
  std::thread listener;
  std::atomic<bool> listenerDone{false};
  std::thread watchdog;
  int port = 0;

  std::mutex stopMutex;   // one Stop at a time (the watchdog's and the destructor's)
  mutable std::mutex mutex;
  std::condition_variable stopped;
  bool stopping = false;
  std::map<std::pair<std::string, std::string>, TFakeHandler> routes;
  std::vector<TFakeRequest> requests;

  void Handle(const httplib::Request& req, httplib::Response& res) {
    TFakeRequest r;
    r.Method = req.method;
    r.Path = req.path;
    if (const size_t q = req.target.find('?'); q != std::string::npos) r.Query = req.target.substr(q + 1);
    r.Body = req.body;
    for (const auto& [n, v] : req.headers) {
      // The library's own bookkeeping entries are not headers the client sent.
      if (n == "REMOTE_ADDR" || n == "REMOTE_PORT" || n == "LOCAL_ADDR" || n == "LOCAL_PORT") continue;
      r.Headers.emplace_back(n, v);
    }
    TFakeHandler handler;
    {
      std::lock_guard lock(mutex);
      requests.push_back(r);
      if (auto it = routes.find({r.Method, r.Path}); it != routes.end()) handler = it->second;
    }
    TFakeResponse answer = handler ? handler(r) : TFakeResponse{404, "no route for " + r.Method + " " + r.Path, "text/plain"};
    if (answer.Delay.count() > 0) {
      std::unique_lock lock(mutex);
      if (stopped.wait_for(lock, answer.Delay, [&] { return stopping; })) {
        // No answer at all: the client must see a broken transfer, not an empty success.
        res.set_content_provider(1, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; });
        return;
      }
    }
    res.status = answer.Status;
    for (const auto& [n, v] : answer.Headers) res.set_header(n, v);
    if (answer.CutOff) {
      auto body = std::make_shared<std::string>(std::move(answer.Body));
      res.set_content_provider(body->size(), answer.ContentType,
                               [body](size_t offset, size_t, httplib::DataSink& sink) {
                                 if (offset == 0) sink.write(body->data(), body->size() / 2);
                                 return false;   // drops the connection short of the announced length
                               });
    } else if (answer.SharedBody) {
      std::shared_ptr<const std::string> body = answer.SharedBody;
      res.set_content_provider(body->size(), answer.ContentType,
                               [body](size_t offset, size_t length, httplib::DataSink& sink) {
                                 return sink.write(body->data() + offset, std::min(length, body->size() - offset));
                               });
    } else {
      res.set_content(answer.Body, answer.ContentType);
    }
  }
};

TFakeHttpServer::TFakeHttpServer(std::chrono::seconds lifetime) : impl_(std::make_unique<Impl>()) {
  Impl& s = *impl_;
  const auto handler = [this](const httplib::Request& req, httplib::Response& res) { impl_->Handle(req, res); };
  s.server.Get(".*", handler);
  s.server.Post(".*", handler);
  s.server.Put(".*", handler);
  s.server.Delete(".*", handler);
  s.server.Patch(".*", handler);
  s.server.set_keep_alive_timeout(1);
  s.port = s.server.bind_to_any_port("127.0.0.1");
  if (s.port <= 0) throw std::runtime_error("fake HTTP server: no loopback port");
  s.listener = std::thread([&s] {
    s.server.listen_after_bind();
    s.listenerDone = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!s.server.is_running()) {
    if (s.listenerDone || std::chrono::steady_clock::now() > deadline) {
      // The thread must be joined before the error leaves; stop it in whatever state it reached.
      while (!s.listenerDone) {
        s.server.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      s.listener.join();
      throw std::runtime_error("fake HTTP server: the listener did not start within 10 s");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  s.watchdog = std::thread([this, lifetime] {
    std::unique_lock lock(impl_->mutex);
    if (!impl_->stopped.wait_for(lock, lifetime, [&] { return impl_->stopping; })) {
      lock.unlock();
      Stop();
    }
  });
}

TFakeHttpServer::~TFakeHttpServer() {
  Stop();
  if (impl_->watchdog.joinable()) impl_->watchdog.join();
}

void TFakeHttpServer::Stop() {
  std::lock_guard stopLock(impl_->stopMutex);
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->stopped.notify_all();
  impl_->server.stop();
  if (impl_->listener.joinable() && impl_->listener.get_id() != std::this_thread::get_id()) impl_->listener.join();
}

int TFakeHttpServer::Port() const { return impl_->port; }

std::string TFakeHttpServer::BaseURL() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

void TFakeHttpServer::On(const std::string& method, const std::string& path, TFakeHandler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->routes[{method, path}] = std::move(handler);
}

void TFakeHttpServer::On(const std::string& method, const std::string& path, TFakeResponse response) {
  On(method, path, [response](const TFakeRequest&) { return response; });
}

void TFakeHttpServer::OnSequence(const std::string& method, const std::string& path,
                                 std::vector<TFakeResponse> answers) {
  if (answers.empty()) throw std::invalid_argument("OnSequence needs at least one answer");
  auto state = std::make_shared<std::pair<std::vector<TFakeResponse>, size_t>>(std::move(answers), 0);
  // Runs under no lock of ours: handlers of one server may run on several threads.
  auto guard = std::make_shared<std::mutex>();
  On(method, path, [state, guard](const TFakeRequest&) {
    std::lock_guard lock(*guard);
    auto& [list, next] = *state;
    const TFakeResponse& r = list[std::min(next, list.size() - 1)];
    ++next;
    return r;
  });
}

std::vector<TFakeRequest> TFakeHttpServer::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

size_t TFakeHttpServer::RequestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.size();
}

TFakeRequest TFakeHttpServer::LastRequest() const {
  std::lock_guard lock(impl_->mutex);
  if (impl_->requests.empty()) throw std::logic_error("the fake server has received no request");
  return impl_->requests.back();
}

int TFakeHttpServer::ClosedPort() {
  // Bind an ephemeral port and close it: nothing listens there afterwards.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("ClosedPort: no socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof(addr);
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  ::close(fd);
  if (port == 0) throw std::runtime_error("ClosedPort: no port");
  return port;
}

}  // namespace vyn
