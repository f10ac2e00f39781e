#include "platform/gfx/font/font_configuration.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>

#include <mutex>

namespace gfx::font {

namespace {

void* Load(void*) {
    FcInit();
    return nullptr;
}

// The loading thread; joined when the first font waits for it, at the
// latest when the program ends.
class ConfigurationLoader {
public:
    ~ConfigurationLoader() { Wait(); }

    void Start() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (started_) return;
        started_ = true;
        running_ = pthread_create(&thread_, nullptr, Load, nullptr) == 0;
    }

    void Wait() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) pthread_join(thread_, nullptr);
        running_ = false;
    }

private:
    std::mutex mutex_;
    pthread_t thread_{};
    bool started_ = false;
    bool running_ = false;
};

ConfigurationLoader& Loader() {
    static ConfigurationLoader loader;
    return loader;
}

}  // namespace

void StartLoadingFontConfiguration() { Loader().Start(); }

void WaitForFontConfiguration() { Loader().Wait(); }

}  // namespace gfx::font
