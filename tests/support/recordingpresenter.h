#pragma once

#include "platform/messagepresenter.h"

#include <string>
#include <vector>

namespace kelvara::test {

// Records the messages the program shows instead of opening boxes; installs itself for its life.
class RecordingPresenter : public MessagePresenter {
public:
    struct Message {
        std::string text;
        unsigned type;
    };

    explicit RecordingPresenter(int answer = IDOK) : m_answer(answer) { SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(nullptr); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Present(const std::string& text, unsigned type) override
    {
        messages.push_back({text, type});
        return m_answer;
    }

    std::vector<Message> messages;

private:
    int m_answer;
};

} // namespace kelvara::test
