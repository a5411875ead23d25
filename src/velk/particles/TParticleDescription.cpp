#include "velk/particles/TParticleDescription.h"

#include "framework/core/xml/TXmlNode.h"
#include "velk/data/DataRange.h"

#include <cstring>

namespace {

// Calls visit(lower-case name, child) for every child in document order.
template <typename Visit> void ForEachChild(TXmlNode& node, Visit visit) {
    for (size_t i = 0; i < node.GetChildCount(); ++i) {
        TXmlNode* child = node.GetChild(i);
        visit(LowerName(*child), *child);
    }
}

// The file being read, for the lines about values out of range.
const char* gReading = "";

// Far above what a particle file describes: positions, speeds and colour
// channels (0 to 255) alike.
constexpr float kMaxParticleValue = 1000000.0f;

TString Element(const TXmlNode& node, const char* name) {
    return TString::Format("<%s> \"%s\"", node.GetName().CStr(), name);
}

// NaN and the infinities read as fallback, with a log line.
float Float(const TXmlNode& node, const char* name, float fallback = 0.0f) {
    return ClampDataFloat(gReading, Element(node, name).CStr(), node.GetAttribute(name).ToFloat(),
                          -kMaxParticleValue, kMaxParticleValue, fallback);
}

int32_t Int(const TXmlNode& node, const char* name, int32_t lowest, int32_t highest) {
    return ClampDataInt(gReading, Element(node, name).CStr(), node.GetAttribute(name).ToInt(),
                        lowest, highest);
}

uint32_t Equation(const TString& given) {
    TString text = given;
    text.ToLower();
    static const char* const kNames[] = {"add", "subtract", "reversesubtract",
                                         "min", "max",      "logicop"};
    for (uint32_t i = 0; i < 6; ++i) {
        if (text.View() == kNames[i]) {
            return i;
        }
    }
    return 0;
}

uint32_t Factor(const TString& given) {
    TString text = given;
    text.ToLower();
    static const char* const kNames[] = {"zero",
                                         "one",
                                         "srccolor",
                                         "oneminussrccolor",
                                         "dstcolor",
                                         "oneminusdstcolor",
                                         "srcalpha",
                                         "oneminussrcalpha",
                                         "dstalpha",
                                         "oneminusdstalpha",
                                         "constantcolor",
                                         "oneminusconstantcolor",
                                         "constantalpha",
                                         "oneminusconstantalpha",
                                         "srcalphasaturate"};
    for (uint32_t i = 0; i < 15; ++i) {
        if (text.View() == kNames[i]) {
            return i;
        }
    }
    return kParticleFactorSrcAlpha;
}

// Matched exactly, without lower-casing.
uint32_t ProjectionType(const TString& text) {
    if (text.View() == "gluperspective") {
        return 0;
    }
    if (text.View() == "glfrustum") {
        return 1;
    }
    if (text.View() == "glortho2d") {
        return 2;
    }
    return 3;
}

int IndexOf(const TString& name, const char* const* names, int count) {
    for (int i = 0; i < count; ++i) {
        if (name.View() == names[i]) {
            return i;
        }
    }
    return -1;
}

const char* const kBounds[] = {"inferior", "superior"};

void ReadColour(TXmlNode& colour, TParticleEmitterDesc& emitter) {
    static const char* const kEnds[] = {"start", "finish"};
    ForEachChild(colour, [&](const TString& name, TXmlNode& end) {
        const int finish = IndexOf(name, kEnds, 2);
        if (finish < 0) {
            return;
        }
        ForEachChild(end, [&](const TString& boundName, TXmlNode& bound) {
            const int superior = IndexOf(boundName, kBounds, 2);
            if (superior < 0) {
                return;
            }
            static const char* const kChannels[] = {"red", "green", "blue", "alpha"};
            for (int channel = 0; channel < 4; ++channel) {
                emitter.colour[TParticleEmitterDesc::ColourIndex(finish, superior, channel)] =
                    Float(bound, kChannels[channel], 1.0f);
            }
        });
    });
}

void ReadTimes(TXmlNode& time, TParticleEmitterDesc& emitter) {
    static const char* const kTimes[] = {"wait", "life", "fade"};
    ForEachChild(time, [&](const TString& name, TXmlNode& range) {
        const int which = IndexOf(name, kTimes, 3);
        if (which < 0) {
            return;
        }
        for (int superior = 0; superior < 2; ++superior) {
            emitter.times[TParticleEmitterDesc::TimeIndex(which, superior)] =
                Int(range, kBounds[superior], 0, kMaxDataTimeMs);
        }
    });
}

void ReadTransform(TXmlNode& transform, TParticleEmitterDesc& emitter) {
    static const char* const kBlocks[] = {"position", "initialspeed", "acceleration"};
    static const char* const kComponents[] = {"center", "rotate", "translate", "scale"};
    static const char* const kAxes[] = {"x", "y", "z"};
    ForEachChild(transform, [&](const TString& blockName, TXmlNode& block) {
        const int b = IndexOf(blockName, kBlocks, 3);
        if (b < 0) {
            return;
        }
        ForEachChild(block, [&](const TString& componentName, TXmlNode& component) {
            const int c = IndexOf(componentName, kComponents, 4);
            if (c < 0) {
                return;
            }
            ForEachChild(component, [&](const TString& boundName, TXmlNode& bound) {
                const int s = IndexOf(boundName, kBounds, 2);
                if (s < 0) {
                    return;
                }
                for (int axis = 0; axis < 3; ++axis) {
                    emitter.motion[TParticleEmitterDesc::MotionIndex(b, c, s, axis)] =
                        Float(bound, kAxes[axis]);
                }
            });
        });
    });
}

void ReadParticles(TXmlNode& particles, TParticleEmitterDesc& emitter) {
    emitter.count = static_cast<uint32_t>(Int(particles, "count", 0, kMaxParticleCount));
    emitter.followTrajectory = ParticleBool(particles.GetAttribute("folltray"));
    emitter.linked = ParticleBool(particles.GetAttribute("elinked"));
    emitter.cycles = static_cast<uint32_t>(Int(particles, "cycles", 0, kMaxDataCount));
    ForEachChild(particles, [&](const TString& name, TXmlNode& child) {
        if (name.View() == "initlinkstart") {
            emitter.linkCenter = ParticleBool(child.GetAttribute("center"));
            emitter.linkRotate = ParticleBool(child.GetAttribute("rotate"));
            emitter.linkTranslate = ParticleBool(child.GetAttribute("translate"));
            emitter.linkScale = ParticleBool(child.GetAttribute("scale"));
        } else if (name.View() == "color") {
            ReadColour(child, emitter);
        } else if (name.View() == "time") {
            ReadTimes(child, emitter);
        } else if (name.View() == "transform") {
            ReadTransform(child, emitter);
        }
    });
}

void ReadVector(const TXmlNode& node, float out[3]) {
    out[0] = Float(node, "x", out[0]);
    out[1] = Float(node, "y", out[1]);
    out[2] = Float(node, "z", out[2]);
}

TParticleEmitterDesc ReadEmitter(TXmlNode& node) {
    TParticleEmitterDesc emitter;
    emitter.name = node.GetAttribute("name");
    emitter.texture = node.GetAttribute("texture");
    ForEachChild(node, [&](const TString& name, TXmlNode& child) {
        if (name.View() == "blend") {
            emitter.equation = Equation(child.GetAttribute("equ"));
            emitter.sourceFactor = Factor(child.GetAttribute("src"));
            emitter.destinationFactor = Factor(child.GetAttribute("dst"));
        } else if (name.View() == "scale") {
            ReadVector(child, emitter.scale);
        } else if (name.View() == "rotate") {
            ReadVector(child, emitter.rotate);
        } else if (name.View() == "particles") {
            ReadParticles(child, emitter);
        }
    });
    return emitter;
}

} // namespace

bool ParticleBool(const TString& given) {
    TString text = given;
    text.ToLower();
    return text.View() == "true" || text.View() == "t" || text.View() == "1";
}

TString LowerName(const TXmlNode& node) {
    TString name = node.GetName();
    name.ToLower();
    return name;
}

void ReadParticleDescription(TXmlNode& parsys, TParticleDescription& description,
                             const char* fileName) {
    gReading = fileName ? fileName : "";
    description.name = parsys.GetAttribute("name");
    ForEachChild(parsys, [&](const TString& name, TXmlNode& child) {
        if (name.View() == "projection") {
            TParticleProjection& p = description.projection;
            p.type = ProjectionType(child.GetAttribute("type"));
            p.left = Float(child, "left");
            p.top = Float(child, "top");
            p.right = Float(child, "right");
            p.bottom = Float(child, "bottom");
            p.znear = Float(child, "znear");
            p.zfar = Float(child, "zfar");
            p.fovy = Float(child, "fovy");
            p.aspect = Float(child, "aspect");
        } else if (name.View() == "emitter") {
            description.emitters.push_back(ReadEmitter(child));
        }
    });
    gReading = "";
}
