-- Run by neovim_test.sh inside Neovim 0.7: the checks, each printed as it passes.
local failures = 0
local function say(text)
  io.stdout:write(text .. "\n")
end
local function check(name, ok, detail)
  if ok then
    say("ok: " .. name)
  else
    failures = failures + 1
    say("FAILED: " .. name .. (detail and (": " .. vim.inspect(detail)) or ""))
  end
end
local function finish()
  io.stdout:flush()
  vim.cmd(failures == 0 and "qa!" or "cq!")
end

local ok, err = pcall(function()
  local root = TARNWICK_ROOT
  vim.cmd("edit " .. root .. "/src/Main.bas")
  local buf = vim.api.nvim_get_current_buf()
  vim.bo[buf].filetype = "vb"
  local initialized = false
  local client_id = vim.lsp.start_client({
    name = "tarnwick",
    cmd = { TARNWICK_SERVER, "--stdio" },
    root_dir = root,
    on_init = function()
      initialized = true
    end,
  })
  vim.lsp.buf_attach_client(buf, client_id)
  check("the server starts", vim.wait(10000, function() return initialized end, 20))
  local client = vim.lsp.get_client_by_id(client_id)

  local function at(line, character)
    return { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = line, character = character } }
  end
  local function request(method, params)
    local response = client.request_sync(method, params, 10000, buf)
    return response and response.result, response and response.err
  end

  -- The workspace's other module is read on the server's worker thread.
  vim.wait(3000, function()
    local result = request("textDocument/hover", at(4, 6))
    return result ~= nil
  end, 50)

  local hover = request("textDocument/hover", at(4, 6))
  local lines = hover and vim.lsp.util.trim_empty_lines(vim.lsp.util.convert_input_to_markdown_lines(hover.contents)) or {}
  say("--- hover over Deposit, as Neovim shows it:")
  for _, line in ipairs(lines) do say("  " .. line) end
  local text = table.concat(lines, "\n")
  check("hover shows the declaration in a vb block", text:find("```vb", 1, true) ~= nil, lines)
  check("hover shows the summary", text:find("in the account.", 1, true) ~= nil, lines)

  local help = request("textDocument/signatureHelp", at(4, 15))
  check("signature help answers", help ~= nil and help.signatures ~= nil and #help.signatures == 1, help)
  if help then
    local shown = vim.lsp.util.convert_signature_help_to_markdown_lines(help, "vb", { "(", ",", " " })
    say("--- signature help after 'Deposit 5, ', as Neovim shows it:")
    for _, line in ipairs(shown or {}) do say("  " .. line) end
    check("the second parameter is active", help.activeParameter == 1, help.activeParameter)
    check("the parameter's <param> text is there",
      help.signatures[1].parameters[2].documentation.value == "What for.", help.signatures[1].parameters[2])
  end

  -- The third apostrophe above Run: the template as plain text.
  vim.api.nvim_buf_set_lines(buf, 2, 3, false, { "'''" })
  local completion = request("textDocument/completion", at(2, 3))
  local items = completion and (completion.items or completion) or {}
  check("completion offers the template", #items == 1, completion)
  if #items == 1 then
    local item = items[1]
    check("as plain text", item.insertTextFormat == 1 and item.textEdit.newText:find("$", 1, true) == nil, item)
    check("the add-in's lines", item.textEdit.newText:find("''' <summary>", 1, true) == 1, item.textEdit.newText)
  end
  vim.api.nvim_buf_set_lines(buf, 2, 3, false, { "" })

  -- Diagnostics are pushed after a change.
  local diagnostics = {}
  vim.wait(5000, function()
    diagnostics = vim.diagnostic.get(buf)
    for _, d in ipairs(diagnostics) do
      if d.lnum == 3 then return true end
    end
    return false
  end, 50)
  local twd001 = nil
  for _, d in ipairs(diagnostics) do
    local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
    if code == "TWD001" and d.lnum == 3 then twd001 = d end
  end
  check("TWD001 is shown on Run", twd001 ~= nil and twd001.source == "tarnwick", diagnostics)

  if twd001 then
    -- As Neovim's own code action asks: the line's diagnostics in the protocol's form.
    local lsp_diagnostic = vim.lsp.diagnostic.get_line_diagnostics(buf, 3)[1]
    local actions, action_error = request("textDocument/codeAction", {
      textDocument = { uri = vim.uri_from_bufnr(buf) },
      range = lsp_diagnostic.range,
      context = { diagnostics = { lsp_diagnostic }, only = { "quickfix" } },
    })
    check("a quick fix is offered for TWD001", actions ~= nil and #actions == 1, actions or action_error or lsp_diagnostic)
    if actions and #actions == 1 then
      vim.lsp.util.apply_workspace_edit(actions[1].edit, "utf-16")
      local now = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
      check("applied, the template stands above Run",
        now[4] == "''' <summary>" and now[7] == "''' <remarks></remarks>" and now[8] == "Public Sub Run()", now)
    end
  end
  client.stop()
end)
if not ok then
  check("no error in the test script", false, err)
end
finish()
