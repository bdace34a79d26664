/* Preloaded into ombrel-capture: the GPU hands back the first frame, then refuses every later one
   (glGetTextureImage writes nothing and glGetError says GL_INVALID_OPERATION), as a device that is
   lost or out of memory does. libepoxy finds both through dlsym and eglGetProcAddress. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>

typedef unsigned int GLenum;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;

static void* (*realDlsym)(void*, const char*);
static void* (*realEglGetProcAddress)(const char*);
static GLenum (*realGlGetError)(void);
static void (*realGlGetTextureImage)(GLuint, GLint, GLenum, GLenum, GLsizei, void*);
static int reads;
static int refused;

static void FailingGetTextureImage(GLuint texture, GLint level, GLenum format, GLenum type,
                                   GLsizei size, void* pixels)
{
    if (++reads == 1 && realGlGetTextureImage)
        realGlGetTextureImage(texture, level, format, type, size, pixels);
    else
        refused = 1;
}

static GLenum FailingGetError(void)
{
    if (refused)
    {
        refused = 0;
        return 0x0502; /* GL_INVALID_OPERATION */
    }
    return realGlGetError ? realGlGetError() : 0;
}

static void* Substitute(const char* name, void* real)
{
    if (strcmp(name, "glGetTextureImage") == 0)
    {
        realGlGetTextureImage = real;
        return real ? (void*)FailingGetTextureImage : real;
    }
    if (strcmp(name, "glGetError") == 0)
    {
        realGlGetError = real;
        return real ? (void*)FailingGetError : real;
    }
    return real;
}

static void* FailingEglGetProcAddress(const char* name)
{
    return Substitute(name, realEglGetProcAddress(name));
}

void* dlsym(void* handle, const char* name)
{
    if (!realDlsym)
        realDlsym = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!realDlsym)
        realDlsym = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    void* real = realDlsym(handle, name);
    if (real && strcmp(name, "eglGetProcAddress") == 0)
    {
        realEglGetProcAddress = real;
        return (void*)FailingEglGetProcAddress;
    }
    return Substitute(name, real);
}
