#include "app/panel_messages.h"

void PanelMessages::Add(const char* text) {
    newestFirst.emplace_front(text ? text : "");
    if (newestFirst.size() > kMaxPanelMessages) newestFirst.pop_back();
}

namespace {

void TeeNote(void* context, const char* text) {
    auto* tee = static_cast<MessageTee*>(context);
    if (tee->messages) tee->messages->Add(text);
    tee->next.Note(text);
}

void TeeBox(void* context, const char* caption, const char* text) {
    static_cast<MessageTee*>(context)->next.Box(caption, text);
}

}  // namespace

ReportSink TeeReport(MessageTee* tee) {
    ReportSink sink;
    sink.context = tee;
    sink.note = TeeNote;
    // A route without boxes stays without them.
    if (tee->next.box) sink.box = TeeBox;
    return sink;
}
