# The program's manifest for one architecture ("x86" or "amd64") from the one
# template, written to `out`.
#
# The 32-bit program names no execution level, so Windows virtualises its file
# access as it does the mail client's, a 32-bit program of the same kind: a
# mailbox under "Program Files" whose writes went to the user's VirtualStore
# reads here as the client sees it, and Veltrano's own files written there (the
# settings beside the program, the caches) land in the VirtualStore too. The
# 64-bit program, which Windows never virtualises, asks for asInvoker: no
# elevation, and no installer guesswork.
function(veltrano_manifest arch out)
  set(VELTRANO_MANIFEST_ARCH ${arch})
  if(arch STREQUAL "amd64")
    set(VELTRANO_MANIFEST_TRUST_INFO [=[  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
]=])
  else()
    set(VELTRANO_MANIFEST_TRUST_INFO "")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/app/res/veltrano.manifest.in ${out} @ONLY)
endfunction()
