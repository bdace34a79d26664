// The abstract shader set: a vertex program, a pixel program and an optional input layout.
#pragma once

class Shader
{
  public:
    virtual ~Shader() = default;
    virtual void Bind() = 0;
};

// The four sets of the system; each returns null after logging the failed step.
Shader* CreateDefaultShaders();
Shader* CreatePbrShaders();
Shader* CreatePbrNoiseShaders();
Shader* CreatePostShaders();
