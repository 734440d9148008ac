#include "web/flash/FrameControlAction.h"

namespace zorbel {
namespace {

// Appends AVM1 action records to a byte buffer.
class ActionWriter {
public:
    std::vector<uint8_t> bytes;

    void Op(uint8_t code) { bytes.push_back(code); }

    void PushString(const std::string& s) {
        std::vector<uint8_t> body{0};
        body.insert(body.end(), s.begin(), s.end());
        body.push_back(0);
        Record(FrameControlAction::kActionPush, body);
    }
    void PushNull() { Record(FrameControlAction::kActionPush, {2}); }
    void PushInt(int32_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        Record(FrameControlAction::kActionPush,
               {7, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)});
    }
    // Pushes name's value, then reads members along the path: Variable("flash").external...
    void GetPath(const std::string& variable, std::initializer_list<const char*> members) {
        PushString(variable);
        Op(FrameControlAction::kActionGetVariable);
        for (const char* m : members) {
            PushString(m);
            Op(FrameControlAction::kActionGetMember);
        }
    }
    // Calls object.method(args...) where the arguments (pushed in reverse) are already on the
    // stack.
    void CallMethodOnPath(const std::string& variable, std::initializer_list<const char*> members,
                          const std::string& method, int argCount) {
        PushInt(argCount);
        GetPath(variable, members);
        PushString(method);
        Op(FrameControlAction::kActionCallMethod);
    }
    // An anonymous function: it stays on the stack for the next call.
    void DefineFunction(const std::vector<std::string>& params, const std::vector<uint8_t>& body) {
        std::vector<uint8_t> rec{0};  // empty name
        Put16(rec, static_cast<uint16_t>(params.size()));
        for (const auto& p : params) {
            rec.insert(rec.end(), p.begin(), p.end());
            rec.push_back(0);
        }
        Put16(rec, static_cast<uint16_t>(body.size()));
        Record(FrameControlAction::kActionDefineFunction, rec);
        bytes.insert(bytes.end(), body.begin(), body.end());
    }

private:
    static void Put16(std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void Record(uint8_t code, const std::vector<uint8_t>& body) {
        bytes.push_back(code);
        Put16(bytes, static_cast<uint16_t>(body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
};

std::vector<uint8_t> ReturnRootMember(const char* member) {
    ActionWriter w;
    w.GetPath("_root", {member});
    w.Op(FrameControlAction::kActionReturn);
    return w.bytes;
}

std::vector<uint8_t> CallRoot(const char* method, bool withFrameArgument) {
    ActionWriter w;
    if (withFrameArgument) {
        w.PushString("f");
        w.Op(FrameControlAction::kActionGetVariable);
    }
    w.CallMethodOnPath("_root", {}, method, withFrameArgument ? 1 : 0);
    w.Op(FrameControlAction::kActionPop);
    return w.bytes;
}

}  // namespace

std::vector<uint8_t> FrameControlAction::BuildActions() {
    struct Callback {
        const char* name;
        std::vector<std::string> params;
        std::vector<uint8_t> body;
    };
    const Callback callbacks[] = {
        {kCurrentFrame, {}, ReturnRootMember("_currentframe")},
        {kTotalFrames, {}, ReturnRootMember("_totalframes")},
        {kGotoAndStop, {"f"}, CallRoot("gotoAndStop", true)},
        {kGotoAndPlay, {"f"}, CallRoot("gotoAndPlay", true)},
        {kStop, {}, CallRoot("stop", false)},
        {kPlay, {}, CallRoot("play", false)},
    };
    ActionWriter w;
    for (const auto& cb : callbacks) {
        // flash.external.ExternalInterface.addCallback(name, null, function)
        w.DefineFunction(cb.params, cb.body);
        w.PushNull();
        w.PushString(cb.name);
        w.CallMethodOnPath("flash", {"external", "ExternalInterface"}, "addCallback", 3);
        w.Op(kActionPop);
    }
    w.Op(kActionEnd);
    return w.bytes;
}

std::vector<uint8_t> FrameControlAction::TagHeader(uint16_t code, uint32_t length) {
    std::vector<uint8_t> out;
    if (length < 0x3F) {
        uint16_t h = static_cast<uint16_t>((code << 6) | length);
        out = {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8)};
    } else {
        uint16_t h = static_cast<uint16_t>((code << 6) | 0x3F);
        out = {static_cast<uint8_t>(h),
               static_cast<uint8_t>(h >> 8),
               static_cast<uint8_t>(length),
               static_cast<uint8_t>(length >> 8),
               static_cast<uint8_t>(length >> 16),
               static_cast<uint8_t>(length >> 24)};
    }
    return out;
}

std::vector<uint8_t> FrameControlAction::BuildTag() {
    std::vector<uint8_t> body = BuildActions();
    std::vector<uint8_t> tag = TagHeader(kTagDoAction, static_cast<uint32_t>(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

}  // namespace zorbel
