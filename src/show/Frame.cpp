// The frame sequence shared by the programs and the capture tool, and its per-frame choices.
#include "Frame.h"

bool DrawsParticles(SegmentKind kind)
{
    return kind != Greets && kind != Tarv && kind != Sphere;
}

PostTextures ChoosePostTextures(float musicTime, SegmentKind kind)
{
    if (musicTime > kCreditsTime)
        return {DirtScratches, Credits};
    if (kind == Scene01 || kind == Sphere)
        return {DirtScratches, Intro};
    return {DirtMask, Intro};
}

void InitPresentation(Presentation& presentation, RandomSource random)
{
    InitCamera(presentation.camera, presentation.cameraTarget);
    ResetTimeline(presentation.timeline);
    InitSegmentObjects(presentation.objects, presentation.timeline.AudioTint, random);
}

void RunFrame(Presentation& presentation, FrameDevice& device, float musicTime, float deltaTime,
              SpectrumView spectrum, RandomSource random)
{
    TimelineState& timeline = presentation.timeline;
    SegmentObjects& objects = presentation.objects;

    device.BeginScenePass();
    UpdateTimeline(timeline, objects, presentation.camera, musicTime, spectrum, random);
    device.WriteFrameConstants(presentation.camera, musicTime, deltaTime, timeline.fade,
                               spectrum[1]);
    BeginSceneDrawing(device, objects);
    device.BindSceneTextures();

    // The kind and segment time decided by this frame's update, even when it just ended.
    const SegmentKind kind = timeline.kind;
    DrawSegment(device, kind, objects, device.MeshCount(kind), musicTime, timeline.SegmentTime,
                spectrum);
    if (DrawsParticles(kind))
        device.DrawParticles();

    device.BeginPostPass();
    device.BindPostTextures(ChoosePostTextures(musicTime, kind));
    device.DrawPostQuad();
}
