#pragma once

// Cut-scene files written on the spot, and a recording object and owner
// for the player's tests.

#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkObjectCS.h"

#include "support/TempFolder.h"

#include <string>
#include <vector>

namespace cutscenetest {

// A "Cutscene" element of that fps holding the body; its "::" name.
inline TString WriteScene(const support::TempFolder& folder, const std::string& name,
                          const std::string& body, const std::string& fps = "fps=\"30\"") {
    const std::string path =
        folder.Write(name, "<?xml version=\"1.0\"?>\n<Cutscene name=\"test\" " + fps + ">" + body +
                               "</Cutscene>\n");
    return TString(("::" + path).c_str());
}

// An action element with "name=value" params.
inline std::string Action(const std::string& object, const std::string& property,
                          const std::string& function,
                          const std::vector<std::pair<std::string, std::string>>& params = {}) {
    std::string xml = "<action object=\"" + object + "\" property=\"" + property +
                      "\" function=\"" + function + "\">";
    for (const auto& [name, value] : params)
        xml += "<param name=\"" + name + "\" value=\"" + value + "\"/>";
    return xml + "</action>";
}

inline std::string Keyframe(int time, const std::string& actions = "",
                            const std::string& extra = "") {
    return "<keyframe name=\"k" + std::to_string(time) + "\" time=\"" + std::to_string(time) +
           "\" " + extra + ">" + actions + "</keyframe>";
}

// A journal shared by the fakes and the owner, in call order.
using Journal = std::vector<std::string>;

// An object that writes what it is given into the journal.
class RecordingObject : public vlkObjectCS {
public:
    RecordingObject(Journal& journal, const char* name, const char* order = "nop()")
        : vlkObjectCS(nullptr), mJournal(journal) {
        vlkObjectDef def{name, "fake", "", order};
        Init(&def);
    }
    bool SetAction(const vlkAction* action) override {
        vlkObjectCS::SetAction(action);
        mJournal.push_back(GetName().ToStd() + "." + action->property.ToStd() + "." +
                           action->function.ToStd());
        ++actions;
        return true;
    }
    bool Update(uint32_t dt) override {
        updates.push_back(dt);
        return true;
    }
    void Draw() override { ++draws; }
    bool HitTest(int32_t, int32_t) override {
        mJournal.push_back("hit " + GetName().ToStd());
        return hit;
    }

    bool hit = true;
    int actions = 0;
    int draws = 0;
    std::vector<uint32_t> updates;

private:
    Journal& mJournal;
};

class RecordingOwner : public vlkICutscene {
public:
    explicit RecordingOwner(Journal& journal) : mJournal(journal) {}
    void OnCutsceneEnd(vlkCutscene*) override {
        mJournal.push_back("end");
        ++ends;
    }
    int ends = 0;

private:
    Journal& mJournal;
};

} // namespace cutscenetest
