#include "ControlFakes.h"

#include <algorithm>

namespace kwadrill::testing {

std::vector<std::string> CallLog::Starting(const std::string& prefix) const {
    std::vector<std::string> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [&prefix](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    return result;
}

int CallLog::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

std::vector<std::string> CallLog::Of(std::initializer_list<std::string> kinds) const {
    std::vector<std::string> result;
    for (const std::string& call : calls) {
        const std::string kind = call.substr(0, call.find(' '));
        if (std::find(kinds.begin(), kinds.end(), kind) != kinds.end()) {
            result.push_back(call);
        }
    }
    return result;
}

void FakeGameView::DrawCellImage(ImageList list, int index, int column, int row) {
    const char* listName = list == ImageList::Cells ? "Cells" : "Destruction";
    log_.Add("DrawCellImage " + std::string(listName) + " " + std::to_string(index) + " " +
             std::to_string(column) + " " + std::to_string(row));
}

void FakeGameView::SetLandingShadow(const LandingShadow& given) {
    shadow = given;
    std::string call = "SetLandingShadow";
    for (const ShadowBlock& block : given) {
        call += " " + std::to_string(block.column) + ":" + std::to_string(block.row) + ":" +
                std::to_string(block.type);
    }
    log_.Add(call);
}

void FakeGameView::ShowNextPiece(const std::optional<PieceTypes>& next) {
    nextPiece = next;
    std::string call = "ShowNextPiece";
    if (!next) {
        call += " off";
    } else {
        for (std::uint8_t type : *next) call += " " + std::to_string(type);
    }
    log_.Add(call);
}

void FakeGameView::ShowReplaySign(const std::optional<ReplaySign>& sign) {
    replaySign = sign;
    if (!sign) {
        log_.Add("ShowReplaySign off");
    } else {
        log_.Add("ShowReplaySign " +
                 (sign->ended ? std::string("ended") : std::to_string(sign->speed) + "x"));
    }
}

void FakeGameView::ShowLevelLabel(int level) {
    label = level;
    log_.Add("ShowLevelLabel " + std::to_string(level));
}

void FakeGameView::ClearLevelLabel() {
    label.reset();
    log_.Add("ClearLevelLabel");
}

void FakeGameView::Modal(const char* name, const std::function<void()>& whileOpen) {
    log_.Add(name);
    if (whileOpen) {
        whileOpen();
    }
}

QString FakeMusicControl::NextMusicFile(bool gameRunning, const QString& name) {
    const std::string rotation = gameRunning ? "(next)" : "(menu)";
    log_.Add("NextMusicFile " + (name.isEmpty() ? rotation : name.toStdString()));
    return QStringLiteral("music/") + (name.isEmpty() ? QStringLiteral("next") : name);
}

void FakeMusicControl::PlayMusicFile(const QString& path) {
    log_.Add("PlayMusicFile " + path.toStdString());
    if (onPlay) {
        onPlay();
    }
    playing = !path.isEmpty();
    position = 0;
}

void FakeMusicControl::StopMusic() {
    log_.Add("StopMusic");
    playing = false;
}

}  // namespace kwadrill::testing
