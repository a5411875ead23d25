#include "velk/particles/vlkParticleFx.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "velk/motion/vlkSplineLane.h"
#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"

#include <functional>

void vlkIParticleFxEvent::OnFxStep(vlkParticleFx*, float, float, float, bool*) {}
void vlkIParticleFxEvent::OnFxMove(vlkParticleFx*, float, float, float, uint32_t) {}
void vlkIParticleFxEvent::OnFxEnd(vlkParticleFx*) {}

void ReadParticlePath(TXmlNode& path, vlkParticlePath& record) {
    record = vlkParticlePath();
    record.name = path.GetAttribute("name");
    TString time;
    if (path.GetAttribute(time, "time")) {
        record.time = static_cast<uint32_t>(time.ToInt());
    }
    record.loop = ParticleBool(path.GetAttribute("loop")) ? 1 : 0;
    for (size_t i = 0; i < path.GetChildCount(); ++i) {
        TXmlNode& child = *path.GetChild(i);
        const TString name = LowerName(child);
        if (name.View() == "background") {
            record.background = child.GetAttribute("file");
        } else if (name.View() == "parsys") {
            record.parsys = child.GetAttribute("file");
        } else if (name.View() == "spline") {
            std::vector<TVec3> points;
            for (size_t j = 0; j < child.GetChildCount(); ++j) {
                TXmlNode& point = *child.GetChild(j);
                if (LowerName(point).View() == "point") {
                    points.emplace_back(point.GetAttribute("x").ToFloat(),
                                        point.GetAttribute("y").ToFloat(),
                                        point.GetAttribute("z").ToFloat());
                }
            }
            record.splines.push_back(std::move(points));
        }
    }
}

vlkParticleFx::vlkParticleFx() = default;

vlkParticleFx::vlkParticleFx(const vlkParticleFx& other)
    : vlkILaneEvent(), mRecord(other.mRecord), mFileName(other.mFileName) {
    TParticleSystem empty;
    SetUp(other.mSystem ? other.mSystem.get() : &empty);
}

vlkParticleFx::~vlkParticleFx() = default;

bool vlkParticleFx::LoadParticlePath(const TString& fileName) {
    TXmlNode document;
    document.LoadFile(fileName);
    TXmlNode* path = document.FindChild("path");
    if (!path) {
        LogPrintf("LoadParticlePath: %s is no particle path file", fileName.CStr());
        return false;
    }
    ReadParticlePath(*path, mRecord);
    mFileName = fileName;
    SetUp(nullptr);
    return true;
}

void vlkParticleFx::SetUp(const TParticleSystem* templateSystem) {
    mLane.reset();
    mSystem.reset();
    mPath.reset();
    mLoop = mRecord.loop;
    if (templateSystem) {
        mSystem = std::make_unique<TParticleSystem>(*templateSystem);
    } else {
        mSystem = std::make_unique<TParticleSystem>();
        mSystem->LoadParticleSystem(FolderOf(mFileName) + mRecord.parsys);
    }
    mDuration = mRecord.time;
    mLane = std::make_unique<vlkSplineLane>(this, vlkSegmentPoints{}, mDuration);
    mLane->SetOwnerCallbacks(&vlkILaneEvent::OnLaneStep, &vlkILaneEvent::OnLaneMove,
                             &vlkILaneEvent::OnLaneEnd);
    mPath = std::make_unique<vlkSplinePath>(static_cast<uint32_t>(mRecord.splines.size()));
    for (const std::vector<TVec3>& points : mRecord.splines) {
        if (points.size() < 4) {
            LogPrintf("vlkParticleFx: %s: a spline of %d points is skipped (4 needed)",
                      mFileName.CStr(), static_cast<int>(points.size()));
            continue;
        }
        vlkSegmentPoints segment{};
        for (int i = 0; i < 4; ++i) {
            segment[3 * i] = points[i].x;
            segment[3 * i + 1] = points[i].y;
        }
        mPath->AddSegment(segment);
    }
}

void vlkParticleFx::Start() {
    if (!mLane) {
        return;
    }
    vlkSegmentPoints first{};
    mPath->SeekFirstSegment(first);
    mLane->SetSegment(first, mDuration);
    mLane->Start();
    mActive = 1;
    mSystem->SetActive(true);
    mSystem->Restart();
    mSystem->SetPosition(first[0], first[1], first[2]);
}

void vlkParticleFx::Update(uint32_t elapsed) {
    mState = kStateIdle;
    if (!mActive) {
        return;
    }
    if (!mLane) {
        // Never loaded: there is no path to walk, so it has ended.
        mState = kStatePathEnded;
        mActive = 0;
        return;
    }
    mLane->Update(elapsed);
    mSystem->Update(elapsed);
    mActive = mSystem->IsFinished() ? 0 : 1;
}

void vlkParticleFx::Draw() {
    if (mVisible && mSystem) {
        mSystem->Draw();
    }
}

void vlkParticleFx::SetEmissionStopped(bool stopped) {
    if (mSystem) {
        mSystem->SetEmissionStopped(stopped);
    }
}

void vlkParticleFx::SetEmitterPosition(float x, float y, float z) {
    if (mSystem) {
        mSystem->SetPosition(x, y, z);
    }
}

void vlkParticleFx::MirrorEmitters() {
    if (mSystem) {
        mSystem->Mirror();
    }
}

void vlkParticleFx::SetOwner(vlkIParticleFxEvent* owner, OwnerStep step, OwnerMove move,
                             OwnerEnd end) {
    mOwner = owner;
    mOwnerStep = step;
    mOwnerMove = move;
    mOwnerEnd = end;
}

void vlkParticleFx::OnLaneStep(vlkSplineLane*, float x, float y, float z, bool* accept) {
    if (mOwner && mOwnerStep) {
        std::invoke(mOwnerStep, mOwner, this, x, y, z, accept);
    }
}

void vlkParticleFx::OnLaneMove(vlkSplineLane*, float x, float y, float z, uint32_t elapsed) {
    SetEmitterPosition(mOffset.x + x, mOffset.y + y, mOffset.z + z);
    mLastPosition = TVec3(x, y, z);
    mState = kStateMoved;
    mLastElapsed = elapsed;
    if (mOwner && mOwnerMove) {
        std::invoke(mOwnerMove, mOwner, this, x, y, z, elapsed);
    }
}

void vlkParticleFx::OnLaneEnd(vlkSplineLane* lane) {
    vlkSegmentPoints segment{};
    if (mPath->NextSegment(segment)) {
        lane->SetSegment(segment, mDuration);
        lane->Start();
    } else if (!mLoop) {
        mState = kStatePathEnded;
        if (mOwner && mOwnerEnd) {
            std::invoke(mOwnerEnd, mOwner, this);
        }
    } else if (mPath->SeekFirstSegment(segment)) {
        lane->SetSegment(segment, mDuration);
        lane->Start();
    }
}
