// Shader sets from embedded GLSL: each stage a separable program, swapped into DispGL's pipeline.
#include "ShaderGL.h"

#include "DispGL.h"
#include "GlObjects.h"
#include "GpuPrograms.h"
#include "Logger.h"

#include <cstdio>

namespace
{
DispGL* Display()
{
    return static_cast<DispGL*>(g_display);
}

bool IsFloatType(GLint type)
{
    return type == GL_FLOAT || type == GL_FLOAT_VEC2 || type == GL_FLOAT_VEC3 ||
           type == GL_FLOAT_VEC4;
}

// Direct3D's layout validation: every vertex input the program reads has a float element.
bool LayoutFitsProgram(const InputLayoutDesc& layout, GLuint program)
{
    GLint inputs = 0;
    glGetProgramInterfaceiv(program, GL_PROGRAM_INPUT, GL_ACTIVE_RESOURCES, &inputs);
    for (GLint input = 0; input < inputs; ++input)
    {
        const GLenum properties[2] = {GL_LOCATION, GL_TYPE};
        GLint values[2] = {-1, 0};
        glGetProgramResourceiv(program, GL_PROGRAM_INPUT, GLuint(input), 2, properties, 2, nullptr,
                               values);
        if (values[0] < 0)
            continue; // a system value such as gl_VertexID
        if (GLuint(values[0]) >= layout.count || !IsFloatType(values[1]))
            return false;
    }
    return true;
}
} // namespace

// A linked separable program of one stage, or 0; the compiler's text goes to stderr only.
GLuint CreateProgram(GLenum stage, const GpuProgram* program)
{
    if (!program || !program->code)
        return 0;
    const char* text = static_cast<const char*>(program->code);
    const GLuint created = glCreateShaderProgramv(stage, 1, &text);
    if (!created)
        return 0;
    GLint linked = GL_FALSE;
    glGetProgramiv(created, GL_LINK_STATUS, &linked);
    if (!linked)
    {
        char info[1024] = {};
        glGetProgramInfoLog(created, sizeof info, nullptr, info);
        std::fprintf(stderr, "%s: %s\n", program->name ? program->name : "program", info);
        glDeleteProgram(created);
        return 0;
    }
    CountGlObjectsCreated(1);
    return created;
}

void DeleteProgram(GLuint& program)
{
    if (program)
    {
        glDeleteProgram(program);
        CountGlObjectsDeleted(1);
        program = 0;
    }
}

ShaderGL::~ShaderGL()
{
    DeleteProgram(vertexShader);
    DeleteProgram(pixelShader);
    inputLayout = nullptr;
}

void ShaderGL::Bind()
{
    DispGL* display = Display();
    if (inputLayout)
        display->SetInputLayout(*inputLayout);
    if (vertexShader)
        glUseProgramStages(display->Pipeline(), GL_VERTEX_SHADER_BIT, vertexShader);
    if (pixelShader)
        glUseProgramStages(display->Pipeline(), GL_FRAGMENT_SHADER_BIT, pixelShader);
}

Shader* CreateShaderSet(const ShaderSetSource& source)
{
    ShaderGL* set = new ShaderGL;
    set->vertexShader = CreateProgram(GL_VERTEX_SHADER, source.vertex);
    if (!set->vertexShader)
    {
        Logger::Print("CreateVertexShader failed.\n");
        delete set;
        return nullptr;
    }
    set->pixelShader = CreateProgram(GL_FRAGMENT_SHADER, source.pixel);
    if (!set->pixelShader)
    {
        Logger::Print("CreatePixelShader failed.\n");
        delete set;
        return nullptr;
    }
    if (source.layout)
    {
        if (!LayoutFitsProgram(*source.layout, set->vertexShader))
        {
            Logger::Print("CreateInputLayout failed.\n");
            delete set;
            return nullptr;
        }
        set->inputLayout = source.layout;
    }
    return set;
}
