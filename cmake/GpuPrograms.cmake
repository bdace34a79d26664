# Builds src/gpu/<name>.hlsl into programs embedded in a static library that defines FindGpuProgram.
# OpenGL: HLSL -> SPIR-V (glslangValidator) -> GLSL 4.50 (spirv-cross), embedded as text.
# Direct3D 11: fxc (OMBREL_FXC), embedded as DXBC bytes.
# WebGPU: HLSL -> SPIR-V (glslangValidator, registers shifted apart: b at 0, t at 10, u at 20, s at
# 30; clip y inverted, because naga inverts it back) -> WGSL (naga, tools/web), embedded as text.
# Any compile error fails the build.

set(OMBREL_EMBED_TEXT_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedText.cmake)
# Shader model 4.0 runs on every feature level the device accepts. A compiler that refuses the
# particle vertex program's structured buffer in vs_4_0 can be given 5_0 (feature level 11_0).
set(OMBREL_SHADER_MODEL 4_0 CACHE STRING "Shader model of the DXBC programs (4_0 or 5_0)")

function(ombrel_gpu_program_stage name out_glsl out_fxc)
    string(REGEX MATCH "(VS|PS|CS)$" suffix ${name})
    if(suffix STREQUAL "VS")
        set(${out_glsl} vert PARENT_SCOPE)
        set(${out_fxc} vs_${OMBREL_SHADER_MODEL} PARENT_SCOPE)
    elseif(suffix STREQUAL "PS")
        set(${out_glsl} frag PARENT_SCOPE)
        set(${out_fxc} ps_${OMBREL_SHADER_MODEL} PARENT_SCOPE)
    elseif(suffix STREQUAL "CS")
        set(${out_glsl} comp PARENT_SCOPE)
        set(${out_fxc} cs_${OMBREL_SHADER_MODEL} PARENT_SCOPE)
    else()
        message(FATAL_ERROR "GPU program ${name}: the name must end in VS, PS or CS")
    endif()
endfunction()

function(ombrel_add_gpu_programs target)
    set(programs ${ARGN})
    set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/programs)
    file(MAKE_DIRECTORY ${out_dir})
    file(GLOB includes CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.hlsli)

    if(OMBREL_WIN32)
        if(OMBREL_FXC STREQUAL "")
            message(WARNING "OMBREL_FXC is empty: every translation unit is compiled, but linking "
                            "the programs needs fxc (configure with -DOMBREL_FXC=<fxc command>).")
            set(OMBREL_CAN_LINK_PROGRAMS OFF CACHE INTERNAL "")
            return()
        endif()
        separate_arguments(fxc_command NATIVE_COMMAND "${OMBREL_FXC}")
    elseif(OMBREL_WEB)
        find_program(GLSLANG_VALIDATOR glslangValidator REQUIRED)
        find_program(NODE node REQUIRED)
        set(wgsl_tool ${PROJECT_SOURCE_DIR}/tools/web/spirv-to-wgsl.mjs)
        if(NOT EXISTS ${PROJECT_SOURCE_DIR}/tools/web/node_modules/naga-wasm)
            message(FATAL_ERROR "naga-wasm is not installed: run scripts/deps "
                                "(npm ci --prefix tools/web)")
        endif()
    else()
        find_program(GLSLANG_VALIDATOR glslangValidator REQUIRED)
        find_program(SPIRV_CROSS spirv-cross REQUIRED)
    endif()
    set(OMBREL_CAN_LINK_PROGRAMS ON CACHE INTERNAL "")

    set(headers)
    set(includes_cpp "")
    set(table_cpp "")
    foreach(name IN LISTS programs)
        set(source ${CMAKE_CURRENT_SOURCE_DIR}/${name}.hlsl)
        ombrel_gpu_program_stage(${name} glsl_stage fxc_profile)
        if(OMBREL_WIN32)
            set(header ${out_dir}/${name}.dxbc.h)
            add_custom_command(
                OUTPUT ${header}
                COMMAND ${fxc_command} /nologo /T ${fxc_profile} /E main /Vn k${name} /Fh ${header}
                        ${source}
                DEPENDS ${source} ${includes}
                COMMENT "fxc ${name}"
                VERBATIM)
            string(APPEND table_cpp "    {\"${name}\", k${name}, sizeof k${name}},\n")
        elseif(OMBREL_WEB)
            set(header ${out_dir}/${name}.wgsl.h)
            add_custom_command(
                OUTPUT ${header}
                COMMAND ${GLSLANG_VALIDATOR} -D -V --hlsl-iomap --invert-y --shift-texture-binding 10
                        --shift-uav-binding 20 --shift-sampler-binding 30 -e main -S ${glsl_stage}
                        -o ${out_dir}/${name}.spv ${source}
                COMMAND ${NODE} ${wgsl_tool} ${out_dir}/${name}.spv ${out_dir}/${name}.wgsl
                COMMAND ${CMAKE_COMMAND} -DINPUT=${out_dir}/${name}.wgsl -DOUTPUT=${header}
                        -DNAME=k${name} -P ${OMBREL_EMBED_TEXT_SCRIPT}
                DEPENDS ${source} ${includes} ${OMBREL_EMBED_TEXT_SCRIPT} ${wgsl_tool}
                COMMENT "HLSL -> WGSL ${name}"
                VERBATIM)
            string(APPEND table_cpp "    {\"${name}\", k${name}, sizeof k${name} - 1},\n")
        else()
            set(header ${out_dir}/${name}.glsl.h)
            add_custom_command(
                OUTPUT ${header}
                COMMAND ${GLSLANG_VALIDATOR} -D -V -e main -S ${glsl_stage} -o ${out_dir}/${name}.spv
                        ${source}
                COMMAND ${SPIRV_CROSS} --version 450 --no-es --separate-shader-objects
                        --combined-samplers-inherit-bindings --output ${out_dir}/${name}.glsl
                        ${out_dir}/${name}.spv
                COMMAND ${CMAKE_COMMAND} -DINPUT=${out_dir}/${name}.glsl -DOUTPUT=${header}
                        -DNAME=k${name} -P ${OMBREL_EMBED_TEXT_SCRIPT}
                DEPENDS ${source} ${includes} ${OMBREL_EMBED_TEXT_SCRIPT}
                COMMENT "HLSL -> GLSL ${name}"
                VERBATIM)
            string(APPEND table_cpp "    {\"${name}\", k${name}, sizeof k${name} - 1},\n")
        endif()
        list(APPEND headers ${header})
        string(APPEND includes_cpp "#include \"${name}.${glsl_stage}.h\"\n")
    endforeach()

    if(OMBREL_WIN32)
        string(REGEX REPLACE "\\.(vert|frag|comp)\\.h" ".dxbc.h" includes_cpp "${includes_cpp}")
        set(prelude "#include <windows.h>\n")
    elseif(OMBREL_WEB)
        string(REGEX REPLACE "\\.(vert|frag|comp)\\.h" ".wgsl.h" includes_cpp "${includes_cpp}")
        set(prelude "")
    else()
        string(REGEX REPLACE "\\.(vert|frag|comp)\\.h" ".glsl.h" includes_cpp "${includes_cpp}")
        set(prelude "")
    endif()
    set(table_source ${out_dir}/GpuPrograms.cpp)
    file(CONFIGURE OUTPUT ${table_source} CONTENT "// Generated from src/gpu/CMakeLists.txt: the table of embedded GPU programs.
#include \"GpuPrograms.h\"

#include <cstring>

${prelude}${includes_cpp}
namespace
{
const GpuProgram kPrograms[] = {
${table_cpp}};
}

const GpuProgram* FindGpuProgram(const char* name)
{
    for (const GpuProgram& program : kPrograms)
        if (std::strcmp(program.name, name) == 0)
            return &program;
    return nullptr;
}

std::span<const GpuProgram> AllGpuPrograms()
{
    return kPrograms;
}
" @ONLY)
    add_library(${target} STATIC ${table_source} ${headers})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} PRIVATE ${out_dir})
endfunction()
